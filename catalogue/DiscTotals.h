#pragma once

#include <cstddef>
#include <cstdint>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

namespace catalogue {

// How full a disc is: its files and folders and the bytes its files hold, read back from the size texts.
struct DiscTotals {
    std::size_t files = 0;    // entries of any kind but "folder ", as the search counts files
    std::size_t folders = 0;  // entries of kind "folder "
    std::uint64_t bytes = 0;  // the files' sizes summed; held at the largest count rather than wrap around
    std::size_t unreadableSizes = 0;  // files whose size text is not a number: they add nothing to `bytes`

    // Adds another disc's totals, for a line over all discs.
    DiscTotals& operator+=(const DiscTotals& other);
    bool operator==(const DiscTotals&) const = default;
};

// The totals of one disc's entries (rows of the disc that carry another label are not the disc's).
DiscTotals TotalsOf(const EntryStore& store, const Disc& disc);

}  // namespace catalogue
