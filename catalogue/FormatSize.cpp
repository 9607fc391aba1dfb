#include "catalogue/FormatSize.h"

namespace catalogue {

std::string FormatSize(std::uint64_t bytes) {
    const std::string digits = std::to_string(bytes);
    const std::size_t n = digits.size();
    std::string result;
    result.reserve(n + n / 3);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) result.push_back(',');
        result.push_back(digits[i]);
    }
    return result;
}

}  // namespace catalogue
