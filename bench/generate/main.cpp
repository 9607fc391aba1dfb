// Writes a made-up catalogue of a given number of entries for the open and save benchmarks, through the
// real writer: discs of 500 to 20,000 entries in walk order (a folder's entry, then what it holds), folders
// up to five deep, sizes as the walker writes them, and now and then a name beyond ASCII (stored as UTF-16).
// The same count gives the same file on every machine. With --copies every third disc is a backup of the
// disc before it (the same files under another label, now and then a name in capitals), so that the
// duplicates benchmark has copies to find. With --dates every entry has a modification time and every disc
// a record (where it was read from, its file system, a location and notes), as a catalogue made by this
// program has, so that the open and save benchmarks measure the block after the entries too.
//   bench_generate ENTRIES FILE [--copies] [--dates]
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "catalogue/CCDContent.h"
#include "catalogue/CdiFormat.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"

namespace {

std::string RandomName(std::mt19937& random, bool folder) {
    static constexpr std::string_view kSyllables[] = {"ka",  "ro",  "mi",  "tes", "van", "de", "lor", "pix",
                                                      "sun", "set", "ber", "al",  "qu",  "on", "ex",  "ta"};
    static constexpr std::string_view kExtensions[] = {".jpg", ".txt", ".mp3", ".doc",
                                                       ".pdf", ".png", ".zip"};
    const std::size_t length =
        std::uniform_int_distribution<std::size_t>(folder ? 5 : 8, folder ? 12 : 22)(random);
    std::string name;
    while (name.size() < length) {
        name += kSyllables[random() % std::size(kSyllables)];
        if (random() % 6 == 0) name += random() % 2 ? ' ' : '_';
    }
    if (random() % 200 == 0) name += "\xC3\xA9t\xC3\xA9";  // "été"
    if (!folder) name += kExtensions[random() % std::size(kExtensions)];
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

class Generator {
public:
    Generator(std::size_t entries, EntryStore& store, bool copies)
        : m_left(entries), m_store(store), m_copies(copies) {}

    void Run() {
        for (std::size_t disc = 0; m_left > 0; ++disc) {
            char label[48];
            std::snprintf(label, sizeof label, "Backup %05zu %s", disc, disc % 3 ? "Photos" : "Documents");
            m_label = label;
            if (m_copies && disc % 3 == 2) {
                CopyDisc(m_discFirst);
                continue;
            }
            m_discFirst = m_store.Size();
            m_discLeft = std::min(m_left, std::uniform_int_distribution<std::size_t>(500, 20000)(m_random));
            while (m_discLeft > 0) AddFolder("\\", 0);
        }
    }

private:
    void Add(const std::string& name, std::string_view kind, const std::string& path, std::string_view size) {
        m_store.Append(m_label, name, kind, path, size);
        --m_left;
        --m_discLeft;
    }

    // The disc that starts at row `first` again under the current label.
    void CopyDisc(std::size_t first) {
        const std::size_t end = m_store.Size();
        m_discLeft = std::min(m_left, end - first);
        for (std::size_t row = first; row < end && m_discLeft > 0; ++row) {
            std::string name(m_store.Name(row));
            if (row % 5 == 0)
                for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            Add(name, m_store.Kind(row), std::string(m_store.Path(row)), std::string(m_store.SizeText(row)));
        }
    }

    void AddFolder(const std::string& path, int depth) {
        const std::size_t files = std::uniform_int_distribution<std::size_t>(3, 30)(m_random);
        for (std::size_t i = 0; i < files && m_discLeft > 0; ++i) {
            const auto size = std::uniform_int_distribution<std::uint32_t>(0, 40'000'000)(m_random);
            Add(RandomName(m_random, false), kKindFile, path, catalogue::FormatSize(size));
        }
        const std::size_t folders =
            depth < 5 ? std::uniform_int_distribution<std::size_t>(1, 5)(m_random) : 0;
        for (std::size_t i = 0; i < folders && m_discLeft > 0; ++i) {
            const std::string name = RandomName(m_random, true);
            Add(name, kKindFolder, path, "0");
            AddFolder(path + name + "\\", depth + 1);
        }
    }

    std::mt19937 m_random{20260114};
    std::size_t m_left;
    std::size_t m_discLeft = 0;
    std::string m_label;
    EntryStore& m_store;
    bool m_copies;
    std::size_t m_discFirst = 0;  // the first row of the last disc made up rather than copied
};

}  // namespace

// A time for every entry, a few years of them, and a record for every disc.
void AddDates(EntryStore& store, catalogue::DiscRecords& discs) {
    std::mt19937 random(20261207);
    constexpr std::int64_t kFrom = 1'262'304'000;  // 2010-01-01
    for (std::size_t row = 0; row < store.Size(); ++row) {
        store.SetModified(row,
                          kFrom + std::uniform_int_distribution<std::int64_t>(0, 15 * 365 * 86400)(random));
        if (row == 0 || store.LabelId(row) != store.LabelId(row - 1)) {
            catalogue::DiscRecord record;
            record.catalogued = kFrom + 16 * 365 * 86400;
            record.source = "E:\\";
            record.volumeLabel = std::string(store.Label(row)).substr(0, 16);
            record.fileSystem = "iso9660";
            record.serial = "2024-05-01-10-00-00-" + std::to_string(row % 100);
            record.capacity = 700'000'000;
            record.freeBytes = 0;
            record.location = "Box " + std::to_string(row % 40) + ", shelf " + std::to_string(row % 7);
            record.notes = "Catalogued for the benchmark";
            discs.Set(row, record);
        }
    }
}

int main(int argc, char** argv) {
    bool copies = false, dates = false;
    for (int i = 3; i < argc; ++i) {
        copies = copies || std::string_view(argv[i]) == "--copies";
        dates = dates || std::string_view(argv[i]) == "--dates";
    }
    if (argc < 3 || argc - 3 != int{copies} + int{dates}) {
        std::fprintf(stderr, "usage: bench_generate ENTRIES FILE [--copies] [--dates]\n");
        return 2;
    }
    const std::size_t entries = std::strtoull(argv[1], nullptr, 10);
    EntryStore store;
    store.Reserve(entries);
    Generator(entries, store, copies).Run();
    catalogue::DiscRecords discs;
    if (dates) AddDates(store, discs);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    std::size_t bytes = 0;
    const bool written = cdi::WriteTo(
        store,
        [&](std::string_view chunk) {
            bytes += chunk.size();
            return static_cast<bool>(out.write(chunk.data(), static_cast<std::streamsize>(chunk.size())));
        },
        &discs);
    if (!written || !out.flush()) {
        std::fprintf(stderr, "bench_generate: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s: %zu entries, %zu bytes\n", argv[2], store.Size(), bytes);
    return 0;
}
