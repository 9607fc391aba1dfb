// Updating a disc, two cases:
// - comparing a 100,000-entry walk with the catalogued disc (DiffDisc) against building the walk's entry
//   store itself (the least the walk must do); target 200 ms beyond the walk;
// - replacing a disc of 100,000 entries in the middle of a 10,000,000-entry catalogue (ReplaceDisc, the walk
//   a little longer or shorter, so that the later half moves) against moving the bytes of the catalogue's
//   rows and times once (the least a move of them costs); target 1 s.
//   bench_update
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "catalogue/BulkMemory.h"
#include "catalogue/CCDContent.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"
#include "scan/DiscDiff.h"

namespace {

constexpr std::size_t kEntries = 100'000;
constexpr int kRuns = 5;

struct Item {
    std::string path;
    std::string name;
    bool folder;
    std::uint64_t size;
    std::int64_t time;
};

// A disc of kEntries in walk order: folders of 20 to 60 files each, three levels deep.
std::vector<Item> MakeDisc(std::mt19937& random) {
    std::vector<Item> items;
    std::vector<std::string> folders = {"\\"};
    while (items.size() < kEntries) {
        const std::string& path = folders[random() % folders.size()];
        if (random() % 30 == 0 && path.size() < 40) {
            const std::string name = "Folder " + std::to_string(items.size());
            items.push_back({path, name, true, 0, 1'600'000'000});
            folders.push_back(path + name + "\\");
        } else {
            items.push_back({path, "Picture_" + std::to_string(random() % 1'000'000) + ".jpg", false,
                             random() % 8'000'000,
                             1'500'000'000 + static_cast<std::int64_t>(random() % 1000)});
        }
    }
    return items;
}

void Append(EntryStore& store, const std::string& label, const std::vector<Item>& items) {
    for (const Item& item : items) {
        const std::size_t row = store.Append(label, item.name, item.folder ? kKindFolder : kKindFile,
                                             item.path, catalogue::FormatSize(item.size));
        store.SetModified(row, item.time);
    }
}

void BenchReplace(const std::vector<Item>& disc) {
    constexpr std::size_t kCatalogue = 10'000'000;
    CKavrelDoc doc;
    EntryStore& store = doc.EditEntries();
    store.Reserve(kCatalogue);  // no room to spare: a longer walk makes the rows move to new memory
    for (std::size_t n = 0; store.Size() < kCatalogue; ++n) {
        std::vector<Item> part(disc.begin(), disc.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                disc.size(), kCatalogue - store.Size())));
        Append(store, "Disc " + std::to_string(n), part);
        catalogue::DiscRecord record;
        record.notes = "Box " + std::to_string(n);
        doc.EditDiscRecords().Set(store.Size() - part.size(), record);
    }
    const std::size_t middle = kCatalogue / 2 / kEntries * kEntries;

    // The first replace's reference: the rows' bytes copied once into memory fresh from the system (what a
    // replace that outgrows the rows' memory does), measured just before it and kept until after it, so that
    // both take new memory from the system alike (the first touch of it is most of the cost).
    const std::size_t rowBytes = doc.Entries().Size() * 24;
    std::vector<char> rowsCopy(rowBytes, 1);
    Stopwatch freshWatch;
    char* fresh = static_cast<char*>(bulk::Allocate(rowBytes));
    std::memcpy(fresh, rowsCopy.data(), rowBytes);
    const double freshMs = freshWatch.Ms();

    std::vector<double> replaceTimes, moveTimes;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<Item> now = disc;
        if (run % 2 == 0)
            now.insert(now.end(), disc.begin(), disc.begin() + 500);
        else
            now.resize(disc.size() - 500);
        EntryStore walked;
        Append(walked, "Walk", now);
        Stopwatch watch;
        const catalogue::Disc replaced =
            catalogue::ReplaceDisc(doc, catalogue::DiscAt(doc.Entries(), middle), walked, {});
        replaceTimes.push_back(watch.Ms());
        if (replaced.entries != now.size()) std::printf("replace failed\n");
        if (run == 0) {
            bulk::Free(fresh, rowBytes);
            rowsCopy = {};
        }
    }
    // The reference of the others: the rows' and times' bytes moved once within memory already in use.
    {
        const std::size_t bytes = doc.Entries().Size() * (24 + sizeof(std::int64_t));
        std::vector<char> from(bytes, 1), to(bytes, 0);
        for (int run = 0; run < kRuns; ++run) {
            Stopwatch watch;
            std::memmove(to.data(), from.data(), bytes);
            moveTimes.push_back(watch.Ms());
            from[static_cast<std::size_t>(run)] = to[bytes - 1];
        }
    }
    std::printf(
        "replace of %zu entries in %zu: %.1f ms; ratio %.2f to moving the rows' and times' bytes once "
        "(%.1f ms)\n",
        disc.size(), doc.Entries().Size(), Best(replaceTimes), Best(replaceTimes) / Best(moveTimes),
        Best(moveTimes));
    std::printf(
        "  the first replace, its rows moving to new memory: %.1f ms; ratio %.2f to copying the rows' "
        "bytes into fresh memory (%.1f ms) (target: at most 1000 ms)\n",
        replaceTimes.front(), replaceTimes.front() / freshMs, freshMs);
}

}  // namespace

int main() {
    std::mt19937 random(2323);
    const std::vector<Item> old = MakeDisc(random);
    std::vector<Item> now = old;
    for (std::size_t i = 0; i < now.size(); i += 50) {  // 2% changed, moved, removed or added
        switch (random() % 4) {
            case 0:
                now[i].size += 1;
                break;
            case 1:
                now[i].path = "\\";
                break;
            case 2:
                now[i].name += ".gone";
                break;
            default:
                now[i].time += 60;
        }
    }

    EntryStore store;
    Append(store, "Before", std::vector<Item>(old.begin(), old.begin() + 1000));
    Append(store, "Disc", old);
    Append(store, "After", std::vector<Item>(old.begin(), old.begin() + 1000));
    const catalogue::Disc disc = catalogue::DiscAt(store, 1000);

    std::vector<double> walkTimes, diffTimes;
    std::size_t differences = 0;
    for (int run = 0; run < kRuns; ++run) {
        Stopwatch watch;
        EntryStore walked;
        Append(walked, "Disc", now);
        walkTimes.push_back(watch.Ms());
        watch.Restart();
        const scan::DiscDiff diff = scan::DiffDisc(store, disc, walked);
        diffTimes.push_back(watch.Ms());
        differences = diff.added.size() + diff.removed.size() + diff.changed.size() + diff.moved.size();
    }
    std::printf(
        "diff of %zu entries (%zu differences): %.1f ms; building the walk's store: %.1f ms; "
        "ratio %.2f (target: at most 200 ms)\n",
        disc.entries, differences, Best(diffTimes), Best(walkTimes), Best(diffTimes) / Best(walkTimes));
    BenchReplace(old);
}
