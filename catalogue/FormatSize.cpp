#include "catalogue/FormatSize.h"

namespace catalogue {

std::string FormatCount(std::uint64_t count, const char* one, const char* many) {
    return FormatSize(count) + " " + (count == 1 ? one : many);
}

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

std::optional<std::uint64_t> ParseSize(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::size_t firstComma = text.find(',');
    // Grouped: the first group holds one to three digits and every later one exactly three.
    if (firstComma != std::string_view::npos &&
        (firstComma == 0 || firstComma > 3 || (text.size() - firstComma) % 4 != 0))
        return std::nullopt;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (firstComma != std::string_view::npos && i >= firstComma && (i - firstComma) % 4 == 0) {
            if (c != ',') return std::nullopt;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace catalogue
