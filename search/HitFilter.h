#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/EntryStore.h"
#include "catalogue/FolderRows.h"

namespace search {

// What a hit must be besides matching the text: every limit given holds. Sizes are bytes, both bounds
// included; times are seconds since 1970 UTC, `newer` included and `older` not, so that two dates take a
// span ("--newer 2019-06-01 --older 2019-09-01" is that summer).
struct HitLimits {
    std::optional<std::uint64_t> minSize;
    std::optional<std::uint64_t> maxSize;
    std::optional<std::int64_t> newer;
    std::optional<std::int64_t> older;
    std::optional<std::string> disc;  // the label, exact bytes: every disc carrying it

    bool Any() const { return minSize || maxSize || newer || older || disc; }
};

// The limits applied to the entries of one store. Folders have no size, so a size limit passes files only;
// neither does a size text that is not a number. An unknown time never passes a time limit.
// Made for one pass: the label is looked up once, so a label first used after it is made is not seen.
class HitFilter {
public:
    HitFilter(const EntryStore& entries, HitLimits limits);

    bool Passes(std::size_t row) const;

private:
    const EntryStore& m_entries;
    HitLimits m_limits;
    catalogue::FolderRows m_folders;
    EntryStore::TextId m_label = EntryStore::kNoId;  // no row carries kNoId
};

// A byte count as a person gives it: digits (or grouped by "," as sizes are shown), then K, M or G for
// 1024, 1024² or 1024³ of them ("700M"). Nothing for any other text, or a count past 64 bits.
std::optional<std::uint64_t> ParseByteCount(std::string_view text);

}  // namespace search
