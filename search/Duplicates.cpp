#include "search/Duplicates.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "catalogue/Disc.h"
#include "catalogue/FolderRows.h"
#include "catalogue/FormatSize.h"
#include "platform/Tuning.h"
#include "search/CaseFold.h"

namespace search {

namespace {

// A file that may have copies. Its name is kept as a pointer taken in catalogue order, so that reading it
// later, in size order, costs one trip to memory rather than two. Rows fit in 32 bits: a ".cdi" file counts
// its entries in four bytes.
struct File {
    std::uint64_t bytes;
    const char* name;
    std::uint32_t nameSize;
    std::uint32_t row;
};

// A file of one size with its folded name, a place in a buffer of the names of that size.
struct Named {
    std::size_t at;
    std::size_t size;
    std::uint32_t row;
    std::uint32_t disc;
};

// Names are read in size order, from all over the catalogue.
constexpr std::ptrdiff_t kAhead = tuning::kPrefetchAhead;

void Prefetch([[maybe_unused]] const char* bytes) {
#if defined(__GNUC__)
    __builtin_prefetch(bytes);
#endif
}

// The place among the tree's discs of the disc that holds `row`.
std::uint32_t DiscOf(const std::vector<catalogue::Disc>& discs, std::uint32_t row) {
    const auto after =
        std::upper_bound(discs.begin(), discs.end(), row,
                         [](std::uint32_t r, const catalogue::Disc& disc) { return r < disc.first; });
    return static_cast<std::uint32_t>(after - discs.begin() - 1);
}

template <typename Iterator, typename DiscOfFile>
bool OnSeveralDiscs(Iterator first, Iterator last, DiscOfFile discOf) {
    const std::uint32_t disc = discOf(*first);
    return std::any_of(first + 1, last, [&](const auto& file) { return discOf(file) != disc; });
}

}  // namespace

Duplicates FindDuplicates(const EntryStore& store, std::uint64_t minBytes) {
    const catalogue::FolderRows folders(store);
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(store);
    std::vector<File> files;
    files.reserve(store.Size());
    for (const catalogue::Disc& disc : discs) {
        for (std::size_t row = disc.first; row < disc.end; ++row) {
            if (!disc.Holds(store, row) || folders.IsFolder(row)) continue;
            const auto bytes = catalogue::ParseSize(store.SizeText(row));
            if (!bytes || *bytes < minBytes) continue;
            const std::string_view name = store.Name(row);
            files.push_back({*bytes, name.data(), static_cast<std::uint32_t>(name.size()),
                             static_cast<std::uint32_t>(row)});
        }
    }
    // Sizes first: only files of one size can be copies, so only their names are ever folded and compared.
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.row < b.row;
    });

    Duplicates found;
    found.rows.reserve(files.size());
    std::string folded;  // the folded names of one size, reused from size to size
    std::vector<Named> named;
    const auto name = [&folded](const Named& n) { return std::string_view(folded).substr(n.at, n.size); };
    const auto discOfFile = [&discs](const File& file) { return DiscOf(discs, file.row); };
    const auto discOfNamed = [](const Named& n) { return n.disc; };
    for (auto run = files.begin(); run != files.end();) {
        const auto runEnd =
            std::find_if(run, files.end(), [&](const File& file) { return file.bytes != run->bytes; });
        if (runEnd - run >= 2 && OnSeveralDiscs(run, runEnd, discOfFile)) {
            folded.clear();
            named.clear();
            for (auto file = run; file != runEnd; ++file) {
                if (files.end() - file > kAhead) Prefetch(file[kAhead].name);
                const std::size_t at = folded.size();
                casefold::AppendFolded({file->name, file->nameSize}, folded);
                named.push_back({at, folded.size() - at, file->row, DiscOf(discs, file->row)});
            }
            std::sort(named.begin(), named.end(), [&](const Named& a, const Named& b) {
                const int order = name(a).compare(name(b));
                return order != 0 ? order < 0 : a.row < b.row;
            });
            for (auto same = named.begin(); same != named.end();) {
                const auto sameEnd =
                    std::find_if(same, named.end(), [&](const Named& n) { return name(n) != name(*same); });
                if (sameEnd - same >= 2 && OnSeveralDiscs(same, sameEnd, discOfNamed)) {
                    found.groups.push_back(
                        {run->bytes, found.rows.size(), static_cast<std::size_t>(sameEnd - same)});
                    for (auto copy = same; copy != sameEnd; ++copy) found.rows.push_back(copy->row);
                }
                same = sameEnd;
            }
        }
        run = runEnd;
    }
    return found;
}

Duplicates FindContentDuplicates(const EntryStore& store, std::uint64_t minBytes) {
    Duplicates found;
    if (!store.HasSums()) return found;
    struct Summed {
        std::uint64_t bytes;
        std::array<unsigned char, 16> digest;
        std::uint32_t row;
        std::uint32_t disc;
    };
    const catalogue::FolderRows folders(store);
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(store);
    std::vector<Summed> files;
    for (std::size_t d = 0; d < discs.size(); ++d) {
        const catalogue::Disc& disc = discs[d];
        for (std::size_t row = disc.first; row < disc.end; ++row) {
            const EntryStore::FileSum sum = store.Sum(row);
            if (sum.state != EntryStore::SumState::Known || !disc.Holds(store, row) || folders.IsFolder(row))
                continue;
            const auto bytes = catalogue::ParseSize(store.SizeText(row));
            if (!bytes || *bytes < minBytes) continue;
            files.push_back(
                {*bytes, sum.digest, static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(d)});
        }
    }
    std::sort(files.begin(), files.end(), [](const Summed& a, const Summed& b) {
        if (a.bytes != b.bytes) return a.bytes > b.bytes;
        if (a.digest != b.digest) return a.digest < b.digest;
        return a.row < b.row;
    });
    const auto discOf = [](const Summed& file) { return file.disc; };
    for (auto same = files.begin(); same != files.end();) {
        const auto sameEnd = std::find_if(same, files.end(), [&](const Summed& file) {
            return file.bytes != same->bytes || file.digest != same->digest;
        });
        if (sameEnd - same >= 2 && OnSeveralDiscs(same, sameEnd, discOf)) {
            found.groups.push_back(
                {same->bytes, found.rows.size(), static_cast<std::size_t>(sameEnd - same)});
            for (auto copy = same; copy != sameEnd; ++copy) found.rows.push_back(copy->row);
        }
        same = sameEnd;
    }
    return found;
}

}  // namespace search
