#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace catalogue {

// Size text of a byte count: decimal, "," after every three digits from the right, whatever the locale.
std::string FormatSize(std::uint64_t bytes);
// A count grouped as FormatSize writes it, with the word for one or for many: "1 entry", "1,234 entries".
std::string FormatCount(std::uint64_t count, const char* one, const char* many);
// The byte count a size text stands for: plain digits, or digits grouped by "," every three from the right
// as FormatSize writes them. Nothing for any other text (empty, blanks, signs, units, groups of another
// length, a count past 64 bits), which a file from elsewhere may hold.
std::optional<std::uint64_t> ParseSize(std::string_view text);

}  // namespace catalogue
