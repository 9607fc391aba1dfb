#include "search/CaseFold.h"

#include <QChar>
#include <QList>
#include <QString>
#include <utility>
#include <vector>

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

std::string FoldText(std::string_view text) {
    std::string folded;
    if (FoldUtf8(text, folded)) return folded;
    folded.assign(text);
    for (char& c : folded) c = AsciiLower(static_cast<unsigned char>(c));
    return folded;
}

}  // namespace casefold
