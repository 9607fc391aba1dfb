#include "search/RowOrder.h"

#include <algorithm>
#include <string>

#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"
#include "search/CaseFold.h"

namespace search {

namespace {

// One row to order: most comparisons end at `key` (a number, a time, or a text's first eight folded bytes
// read as one big-endian number), so the sort rarely touches the texts themselves.
struct Keyed {
    std::uint64_t key;
    std::size_t offset;   // kText: where the folded text starts in the buffer
    std::uint32_t size;   // kText: its length; kNumber, kTime: 1 when the cell is unknown
    std::uint32_t place;  // its position in the rows given: ties keep it
};

std::uint64_t Prefix(std::string_view text) {
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i)
        key = (key << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return key;
}

template <typename Less>
void SortKeyed(std::vector<Keyed>& keyed, Less less) {
    // A total order (ties broken by place), so the faster unstable sort gives the stable result.
    std::sort(keyed.begin(), keyed.end(), [&less](const Keyed& a, const Keyed& b) {
        if (less(a, b)) return true;
        if (less(b, a)) return false;
        return a.place < b.place;
    });
}

}  // namespace

void SortRows(std::vector<std::uint32_t>& rows, const ColumnCells& cells, bool descending) {
    std::vector<Keyed> keyed(rows.size());
    std::string folded;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        Keyed& k = keyed[i];
        k.place = static_cast<std::uint32_t>(i);
        switch (cells.collation) {
            case Collation::kText: {
                k.offset = folded.size();
                casefold::AppendFolded(cells.text(rows[i]), folded);
                k.size =
                    static_cast<std::uint32_t>(std::min<std::size_t>(folded.size() - k.offset, UINT32_MAX));
                break;
            }
            case Collation::kNumber: {
                const auto bytes = catalogue::ParseSize(cells.text(rows[i]));
                k.key = bytes.value_or(0);
                k.size = bytes ? 0 : 1;
                break;
            }
            case Collation::kTime: {
                const std::int64_t time = cells.time(rows[i]);
                // Flipping the sign bit orders signed times as unsigned numbers.
                k.key = static_cast<std::uint64_t>(time) ^ (std::uint64_t{1} << 63);
                k.size = time == EntryStore::kUnknownTime ? 1 : 0;
                break;
            }
        }
    }

    if (cells.collation == Collation::kText) {
        // Prefixes are taken once the buffer stops growing and moving.
        for (Keyed& k : keyed) k.key = Prefix(std::string_view(folded).substr(k.offset, k.size));
        const auto text = [&folded](const Keyed& k) {
            return std::string_view(folded).substr(k.offset, k.size);
        };
        if (descending)
            SortKeyed(keyed, [&](const Keyed& a, const Keyed& b) {
                return a.key != b.key ? a.key > b.key : text(a) > text(b);
            });
        else
            SortKeyed(keyed, [&](const Keyed& a, const Keyed& b) {
                return a.key != b.key ? a.key < b.key : text(a) < text(b);
            });
    } else if (descending) {
        SortKeyed(keyed, [](const Keyed& a, const Keyed& b) {
            return a.size != b.size ? a.size < b.size : a.key > b.key;
        });
    } else {
        SortKeyed(keyed, [](const Keyed& a, const Keyed& b) {
            return a.size != b.size ? a.size < b.size : a.key < b.key;
        });
    }

    std::vector<std::uint32_t> sorted(rows.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) sorted[i] = rows[keyed[i].place];
    rows = std::move(sorted);
}

}  // namespace search
