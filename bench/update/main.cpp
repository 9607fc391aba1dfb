// Updating a disc: compares a 100,000-entry walk with the catalogued disc (DiffDisc) against building the
// walk's entry store itself (the least the walk must do), and prints the ratio and the milliseconds, whose
// target is 200 ms beyond the walk.
//   bench_update
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Stopwatch.h"
#include "catalogue/CCDContent.h"
#include "catalogue/Disc.h"
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
}
