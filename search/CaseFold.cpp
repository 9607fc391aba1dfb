#include "search/CaseFold.h"

#include <QChar>
#include <utility>

#include "catalogue/Ascii.h"
#include "catalogue/Utf8.h"

namespace casefold {

namespace {

// What the simple mapping needs beyond QChar::toLower, written out here rather than read from Qt's tables
// when a search starts (every code point from U+0080 up, some milliseconds in every folded search). A search
// test builds both from Qt for every code point and prints them as they should read when Qt's data changes.

// Capitals that QChar::toLower leaves alone because their full lower-case form is longer than one character
// (U+0130 becomes 'i' and a combining dot); the simple mapping is that form's first character.
constexpr std::pair<char32_t, char32_t> kLongForms[] = {{0x0130, 0x0069}};
// The characters beyond ASCII whose lower-case form is ASCII, in code point order.
constexpr std::pair<char32_t, char> kFoldsToAscii[] = {{0x0130, 'i'}, {0x212A, 'k'}};

// Appends the lower-case form of valid UTF-8; false, with part of it appended, when the text is not UTF-8.
bool AppendFoldedUtf8(std::string_view text, std::string& out) {
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out.push_back(catalogue::AsciiLower(text[pos]));
            ++pos;
        } else if (catalogue::NextCodePoint(text, pos, cp)) {
            catalogue::AppendUtf8(out, Lower(cp));
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

char32_t Lower(char32_t cp) {
    if (cp < 0x80) return catalogue::kAsciiLower[cp];
    const char32_t lower = QChar::toLower(cp);
    if (lower != cp) return lower;
    for (const auto& [capital, first] : kLongForms) {
        if (capital == cp) return first;
    }
    return cp;
}

std::span<const std::pair<char32_t, char>> FoldsToAscii() {
    return kFoldsToAscii;
}

bool FoldUtf8(std::string_view text, std::string& out) {
    out.clear();
    return AppendFoldedUtf8(text, out);
}

void AppendFolded(std::string_view text, std::string& out) {
    const std::size_t start = out.size();
    // ASCII, as most names are, and text that is not UTF-8 lower only their ASCII letters, byte for byte.
    if (catalogue::IsAscii(text) || !AppendFoldedUtf8(text, out)) {
        out.resize(start);
        out.append(text);
        for (auto at = out.begin() + static_cast<std::ptrdiff_t>(start); at != out.end(); ++at)
            *at = catalogue::AsciiLower(*at);
    }
}

std::string FoldText(std::string_view text) {
    std::string folded;
    AppendFolded(text, folded);
    return folded;
}

}  // namespace casefold
