#include "search/CaseFold.h"

#include <QChar>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

#include "catalogue/DisplayText.h"
#include "catalogue/Utf8.h"

namespace casefold {

namespace {

// What the simple mapping needs beyond QChar::toLower, read from Qt's own tables once.
struct FoldTables {
    // Capitals that QChar::toLower leaves alone because their full lower-case form is longer than one
    // character (U+0130 becomes 'i' and a combining dot); the simple mapping is that form's first character.
    std::vector<std::pair<char32_t, char32_t>> longForms;
    std::vector<std::pair<char32_t, char>> toAscii;
};

FoldTables BuildTables() {
    FoldTables tables;
    for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        char32_t lower = QChar::toLower(cp);
        if (lower == cp && (QChar::isUpper(cp) || QChar::isTitleCase(cp))) {
            const QList<uint> full = QStringView(QChar::fromUcs4(cp)).toString().toLower().toUcs4();
            if (!full.isEmpty() && full.front() != cp) {
                lower = full.front();
                tables.longForms.emplace_back(cp, lower);
            }
        }
        if (lower < 0x80) tables.toAscii.emplace_back(cp, static_cast<char>(lower));
    }
    return tables;
}

const FoldTables& Tables() {
    static const FoldTables tables = BuildTables();
    return tables;
}

char AsciiLower(unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

// Appends the lower-case form of valid UTF-8; false, with part of it appended, when the text is not UTF-8.
bool AppendFoldedUtf8(std::string_view text, std::string& out) {
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out.push_back(AsciiLower(lead));
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
    if (cp < 0x80) return static_cast<unsigned char>(AsciiLower(static_cast<unsigned char>(cp)));
    const char32_t lower = QChar::toLower(cp);
    if (lower != cp) return lower;
    for (const auto& [capital, first] : Tables().longForms) {
        if (capital == cp) return first;
    }
    return cp;
}

const std::vector<std::pair<char32_t, char>>& FoldsToAscii() {
    return Tables().toAscii;
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
            *at = AsciiLower(static_cast<unsigned char>(*at));
    }
}

std::string FoldText(std::string_view text) {
    std::string folded;
    AppendFolded(text, folded);
    return folded;
}

}  // namespace casefold
