// Opening a large catalogue: writes a realistic 1,000,000-entry ".cdi" file, then times
// CKavrelDoc::OnOpenDocument against reading the same file into memory and counting one byte in it (the least
// any reader must do), and reports the memory the open catalogue holds against the file size.
//   bench_catalogue [FILE]   (default /tmp/tamberol-bench-catalogue.cdi; the file is left there)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/CdiFormat.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr std::size_t kDiscs = 2000;
constexpr std::size_t kEntriesPerDisc = 500;
constexpr int kRuns = 3;

std::string RandomName(std::mt19937& random, bool folder) {
    static constexpr std::string_view kSyllables[] = {"ka",  "ro",  "mi",  "tes", "van", "de", "lor", "pix",
                                                      "sun", "set", "ber", "al",  "qu",  "on", "ex",  "ta"};
    static constexpr std::string_view kExtensions[] = {".jpg", ".txt", ".mp3", ".doc",
                                                       ".pdf", ".png", ".zip"};
    const std::size_t length =
        std::uniform_int_distribution<std::size_t>(folder ? 6 : 12, folder ? 14 : 26)(random);
    std::string name;
    while (name.size() < length) {
        name += kSyllables[random() % std::size(kSyllables)];
        if (random() % 5 == 0) name += random() % 2 ? ' ' : '_';
    }
    if (!folder) name += kExtensions[random() % std::size(kExtensions)];
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

// One disc in walk order: a folder's entry, then its contents; about kEntriesPerDisc entries, up to three
// folders deep.
void AddDisc(std::mt19937& random, const std::string& label, EntryStore& store) {
    std::size_t budget = kEntriesPerDisc;
    const std::function<void(const std::string&, int)> addFolder = [&](const std::string& path, int depth) {
        const std::size_t files = std::uniform_int_distribution<std::size_t>(5, 25)(random);
        for (std::size_t i = 0; i < files && budget > 0; ++i, --budget) {
            const auto size = std::uniform_int_distribution<std::uint64_t>(0, 8'000'000)(random);
            store.Append(label, RandomName(random, false), kKindFile, path, catalogue::FormatSize(size));
        }
        const std::size_t folders = depth < 3 ? std::uniform_int_distribution<std::size_t>(1, 4)(random) : 0;
        for (std::size_t i = 0; i < folders && budget > 0; ++i) {
            const std::string name = RandomName(random, true);
            store.Append(label, name, kKindFolder, path, "0");
            --budget;
            addFolder(path + name + "\\", depth + 1);
        }
    };
    while (budget > 0) addFolder("\\", 0);
}

std::size_t WriteCatalogue(const std::string& path) {
    EntryStore store;
    store.Reserve(kDiscs * kEntriesPerDisc);
    std::mt19937 random(20261207);
    for (std::size_t disc = 0; disc < kDiscs; ++disc) {
        char label[40];
        std::snprintf(label, sizeof label, "Backup %04zu %s", disc, disc % 3 ? "Photos" : "Documents");
        AddDisc(random, label, store);
    }
    std::string bytes;
    cdi::Write(store, bytes);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::printf("wrote %s: %zu entries, %zu bytes\n", path.c_str(), store.Size(), bytes.size());
    return bytes.size();
}

double BestMs(const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// Resident set size in KiB; 0 where /proc is missing.
long RssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "/tmp/tamberol-bench-catalogue.cdi";
    const std::size_t fileBytes = WriteCatalogue(path);
    // Hand the generator's memory back to the system so that the RSS delta below is the catalogue's.
#ifdef __GLIBC__
    malloc_trim(0);
#endif

    std::size_t backslashes = 0;
    std::vector<char> data(fileBytes);
    const double referenceMs = BestMs([&] {
        std::ifstream in(path, std::ios::binary);
        in.read(data.data(), static_cast<std::streamsize>(data.size()));
        backslashes = static_cast<std::size_t>(std::count(data.begin(), data.end(), '\\'));
    });

    const long rssBefore = RssKiB();
    CKavrelDoc doc;
    std::string error;
    if (!doc.OnOpenDocument(path, error)) {
        std::fprintf(stderr, "open failed: %s\n", error.c_str());
        return 1;
    }
    const long rssDeltaKiB = RssKiB() - rssBefore;
    const std::size_t held = doc.Entries().MemoryBytes();
    const double openMs = BestMs([&] {
        if (!doc.OnOpenDocument(path, error)) std::fprintf(stderr, "open failed: %s\n", error.c_str());
    });

    const std::string copy = path + ".saved";
    const double saveMs = BestMs([&] {
        if (!doc.OnSaveDocument(copy, error)) std::fprintf(stderr, "save failed: %s\n", error.c_str());
    });
    std::remove(copy.c_str());

    const double fileMiB = static_cast<double>(fileBytes) / (1024.0 * 1024.0);
    std::printf("reference (read + one pass, %zu backslashes): %.1f ms\n", backslashes, referenceMs);
    std::printf("open %zu entries: %.1f ms, ratio %.2f (target: well under 1000 ms)\n", doc.GetEntryCount(),
                openMs, openMs / referenceMs);
    std::printf("save: %.1f ms, ratio %.2f\n", saveMs, saveMs / referenceMs);
    std::printf(
        "memory held: %.1f MiB by the store, %.1f MiB RSS delta, file %.1f MiB: %.2fx / %.2fx "
        "(target: about 1.5x at most)\n",
        static_cast<double>(held) / (1024.0 * 1024.0), rssDeltaKiB / 1024.0, fileMiB,
        static_cast<double>(held) / static_cast<double>(fileBytes),
        rssDeltaKiB * 1024.0 / static_cast<double>(fileBytes));
    return 0;
}
