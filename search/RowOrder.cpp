#include "search/RowOrder.h"

#include <algorithm>
#include <string>

#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"
#include "search/CaseFold.h"

namespace search {

namespace {

// One row to order: most comparisons end at `key` and `key2` (a number or a time, or a text's first sixteen
// folded bytes read as two big-endian numbers), so the sort rarely touches the texts themselves.
struct Keyed {
    std::uint64_t key;
    std::uint64_t key2;
    std::size_t offset;   // kText: where the folded text starts in the buffer
    std::uint32_t size;   // kText: its length; kNumber, kTime: 1 when the cell is unknown
    std::uint32_t place;  // its position in the rows given: ties keep it
};

constexpr std::size_t kKeyBytes = 16;

std::uint64_t Word(std::string_view text, std::size_t from) {
    std::uint64_t word = 0;
    for (std::size_t i = from; i < from + 8; ++i)
        word = (word << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return word;
}

// -1, 0 or 1 as folded text `a` sorts before, with or after `b`. Equal keys mean equal first sixteen bytes,
// zeros past a text's end included: a text of sixteen bytes or fewer is then the other's beginning.
int CompareTexts(const Keyed& a, const Keyed& b, std::string_view folded) {
    if (a.key != b.key) return a.key < b.key ? -1 : 1;
    if (a.key2 != b.key2) return a.key2 < b.key2 ? -1 : 1;
    if (a.size <= kKeyBytes || b.size <= kKeyBytes) return a.size == b.size ? 0 : (a.size < b.size ? -1 : 1);
    const int tail = folded.substr(a.offset + kKeyBytes, a.size - kKeyBytes)
                         .compare(folded.substr(b.offset + kKeyBytes, b.size - kKeyBytes));
    return tail < 0 ? -1 : (tail > 0 ? 1 : 0);
}

}  // namespace

void SortRows(std::vector<std::uint32_t>& rows, const ColumnCells& cells, bool descending) {
    std::vector<Keyed> keyed(rows.size());
    if (rows.empty()) return;
    // The cells are read in row order, not in the order shown: after an earlier sort that order jumps all
    // over the list's storage, and reading it so costs more than the sort.
    std::vector<std::uint32_t> placeOf(std::size_t{*std::max_element(rows.begin(), rows.end())} + 1,
                                       UINT32_MAX);
    for (std::size_t i = 0; i < rows.size(); ++i) placeOf[rows[i]] = static_cast<std::uint32_t>(i);
    std::string folded;
    for (std::uint32_t row = 0; row < placeOf.size(); ++row) {
        if (placeOf[row] == UINT32_MAX) continue;
        Keyed& k = keyed[placeOf[row]];
        k.place = placeOf[row];
        switch (cells.collation) {
            case Collation::kText: {
                k.offset = folded.size();
                casefold::AppendFolded(cells.text(row), folded);
                k.size =
                    static_cast<std::uint32_t>(std::min<std::size_t>(folded.size() - k.offset, UINT32_MAX));
                break;
            }
            case Collation::kNumber: {
                const auto bytes = catalogue::ParseSize(cells.text(row));
                k.key = bytes.value_or(0);
                k.size = bytes ? 0 : 1;
                break;
            }
            case Collation::kTime: {
                const std::int64_t time = cells.time(row);
                // Flipping the sign bit orders signed times as unsigned numbers.
                k.key = static_cast<std::uint64_t>(time) ^ (std::uint64_t{1} << 63);
                k.size = time == EntryStore::kUnknownTime ? 1 : 0;
                break;
            }
        }
    }

    // Ties are broken by place, a total order: the faster unstable sort gives the stable result.
    const std::string_view text(folded);
    if (cells.collation == Collation::kText) {
        // Keys are taken once the buffer stops growing and moving.
        for (Keyed& k : keyed) {
            k.key = Word(text.substr(k.offset, k.size), 0);
            k.key2 = Word(text.substr(k.offset, k.size), 8);
        }
        const int sign = descending ? -1 : 1;
        std::sort(keyed.begin(), keyed.end(), [text, sign](const Keyed& a, const Keyed& b) {
            const int order = CompareTexts(a, b, text) * sign;
            return order != 0 ? order < 0 : a.place < b.place;
        });
    } else {
        std::sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
            if (a.size != b.size) return a.size < b.size;  // unknown last, either way
            if (a.key != b.key) return descending ? a.key > b.key : a.key < b.key;
            return a.place < b.place;
        });
    }

    std::vector<std::uint32_t> sorted(rows.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) sorted[i] = rows[keyed[i].place];
    rows = std::move(sorted);
}

}  // namespace search
