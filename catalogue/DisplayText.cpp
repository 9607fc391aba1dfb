#include "catalogue/DisplayText.h"

#include "catalogue/Utf8.h"

namespace catalogue {

namespace {

// Windows-1252 code points for bytes 0x80..0x9F; the five undefined bytes map to the C1 controls, as
// Windows itself decodes them.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    // Most names are ASCII, which a word at a time settles.
    if (IsAscii(bytes)) return true;
    char32_t cp;
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (!NextCodePoint(bytes, pos, cp)) return false;
    }
    return true;
}

std::string ToDisplayUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, kCp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

}  // namespace catalogue
