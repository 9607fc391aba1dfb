#include <gtest/gtest.h>

#include <QChar>
#include <QList>
#include <QString>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "search/CaseFold.h"

namespace {

// The simple lower-case mapping as Qt gives it: QChar::toLower, or for a capital it leaves alone the first
// character of the capital's full lower-case form.
char32_t QtLower(char32_t cp, bool& longForm) {
    longForm = false;
    const char32_t lower = QChar::toLower(cp);
    if (lower != cp || !(QChar::isUpper(cp) || QChar::isTitleCase(cp))) return lower;
    const QList<uint> full = QStringView(QChar::fromUcs4(cp)).toString().toLower().toUcs4();
    if (full.isEmpty() || full.front() == cp) return lower;
    longForm = true;
    return full.front();
}

std::string Hex(char32_t cp) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(cp));
    return text;
}

// The folding tables are written out in CaseFold.cpp so that no search builds them from Qt when it starts:
// every code point must fold as Qt folds it. On a failure the lines to put there are printed.
TEST(CaseFold, EveryCodePointLowersAsQtLowersIt) {
    std::vector<std::pair<char32_t, char>> toAscii;
    std::string longForms;
    std::string asciiForms;
    int wrong = 0;
    for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        bool longForm = false;
        const char32_t lower = QtLower(cp, longForm);
        if (longForm) longForms += (longForms.empty() ? "{" : ", {") + Hex(cp) + ", " + Hex(lower) + "}";
        if (cp >= 0x80 && lower < 0x80) {
            toAscii.emplace_back(cp, static_cast<char>(lower));
            asciiForms += (asciiForms.empty() ? "{" : ", {") + Hex(cp) + ", '" + char(lower) + "'}";
        }
        if (casefold::Lower(cp) != lower && ++wrong <= 10)
            ADD_FAILURE() << Hex(cp) << " lowers to " << Hex(casefold::Lower(cp)) << ", Qt says "
                          << Hex(lower);
    }
    const auto folds = casefold::FoldsToAscii();
    const bool sameAscii = std::equal(folds.begin(), folds.end(), toAscii.begin(), toAscii.end());
    EXPECT_TRUE(sameAscii);
    if (wrong > 0 || !sameAscii) {
        ADD_FAILURE() << "Qt's tables are now:\nkLongForms[] = {" << longForms << "};\nkFoldsToAscii[] = {"
                      << asciiForms << "};";
    }
}

}  // namespace
