#pragma once

#include <cstdint>
#include <string>

namespace catalogue {

// Size text of a byte count: decimal, "," after every three digits from the right, whatever the locale.
std::string FormatSize(std::uint64_t bytes);

}  // namespace catalogue
