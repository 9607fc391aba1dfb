#include "catalogue/DiscTotals.h"

#include <limits>

#include "catalogue/FolderRows.h"
#include "catalogue/FormatSize.h"

namespace catalogue {

namespace {
std::uint64_t AddHeld(std::uint64_t a, std::uint64_t b) {
    constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
    return a > kMost - b ? kMost : a + b;
}
}  // namespace

DiscTotals& DiscTotals::operator+=(const DiscTotals& other) {
    files += other.files;
    folders += other.folders;
    bytes = AddHeld(bytes, other.bytes);
    unreadableSizes += other.unreadableSizes;
    return *this;
}

DiscTotals TotalsOf(const EntryStore& store, const Disc& disc) {
    DiscTotals totals;
    const FolderRows folders(store);
    for (std::size_t row = disc.first; row < disc.end; ++row) {
        if (!disc.Holds(store, row)) continue;
        if (folders.IsFolder(row)) {
            ++totals.folders;
            continue;
        }
        ++totals.files;
        if (const auto bytes = ParseSize(store.SizeText(row)))
            totals.bytes = AddHeld(totals.bytes, *bytes);
        else
            ++totals.unreadableSizes;
    }
    return totals;
}

}  // namespace catalogue
