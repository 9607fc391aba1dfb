#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "OptionNames.h"
#include "SlowFold.h"
#include "catalogue/CKavrelDoc.h"
#include "search/SearchEngine.h"

// search::Scan against the obvious search: fold with Qt character by character, then plain find, plain
// equality or a recursive '*' match. The names are made to trip word-at-a-time code: the text's own bytes
// beside their neighbours c ^ 1 and c ^ 0x20, near misses, letters of two to four bytes at every offset
// across the eight-byte words, bytes that are not UTF-8, and '*' at the start, in the middle and at the end.
namespace {

constexpr unsigned kSeed = 20261210;
constexpr int kCases = 5000;

// '*' stands for any run of bytes, the rest for itself; the pattern covers the whole name.
bool SlowWildcard(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern[0] == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (SlowWildcard(pattern.substr(1), name.substr(skip))) return true;
        }
        return false;
    }
    return !name.empty() && name[0] == pattern[0] && SlowWildcard(pattern.substr(1), name.substr(1));
}

// Whether a name matches a text by the whole name or by part of it, both already folded when it folds.
bool SlowMatches(std::string_view name, std::string_view text, bool wholeName) {
    const std::size_t star = text.rfind('*');
    if (wholeName) return star == std::string::npos && name == text;
    if (star == std::string::npos) return name.find(text) != std::string::npos;
    if (SlowWildcard(text, name)) return true;
    // Without a '.' after the last '*' the pattern may also cover the stem, the name before its first '.'.
    const std::size_t dot = name.find('.');
    return text.find('.', star) == std::string::npos && dot != std::string::npos &&
           SlowWildcard(text, name.substr(0, dot));
}

// Characters with their other-case forms; the pairs whose byte lengths differ move every byte after them.
const std::vector<std::vector<std::string>> kCaseGroups = {
    {"i", "I", "\u0130", "\u0131"}, {"k", "K", "\u212A"},         {"\u00E5", "\u00C5", "\u212B"},
    {"\u00E9", "\u00C9"},           {"\u00DF", "\u1E9E"},         {"\u03C3", "\u03A3", "\u03C2"},
    {"\u2C65", "\u023A"},           {"\U00010428", "\U00010400"}, {"\u01C6", "\u01C5", "\u01C4"},
};
const std::vector<std::string> kBroken = {"\xC9", "\xFF",         "\x80",         "\xE2\x84",
                                          "\xC4", "\xF0\x9F\x98", "\xED\xA0\x80", "\xC0\xAF"};

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool OneIn(int n) { return Below(n) == 0; }

    // A text of a few characters, mostly from a small alphabet so that names share its bytes; in every
    // other case text and names are ASCII alone, which the search takes its fastest way.
    std::vector<std::string> Text() {
        m_wide = OneIn(2);
        std::vector<std::string> chars;
        const int length = Below(9);
        const bool broken = OneIn(8);
        for (int i = 0; i < length; ++i) chars.push_back(Char(broken));
        return chars;
    }

    // A name of at most 40 bytes built around the text: the text itself with other case forms, or a near
    // miss, behind a run of 0 to 15 bytes that moves it across the eight-byte words, or behind 24 to 31 ASCII
    // bytes, so that its own characters are the only ones beyond ASCII and come late in the name.
    std::string Name(const std::vector<std::string>& text) {
        const bool broken = OneIn(4);
        std::string bytes;
        for (const std::string& c : text) bytes += c;
        const int shape = Below(7);
        std::string name;
        if (shape == 6) {
            while (name.size() < std::size_t(24 + Below(8))) name += "abcdeIKST.x "[Below(12)];
        } else {
            name = Filler(bytes, Below(16), broken);
        }
        if (shape < 4 || shape == 6) {
            std::string body;
            for (const std::string& c : text) body += OtherCase(c);
            if (shape >= 2 && shape < 4 && !body.empty()) NearMiss(body);
            name += body;
        }
        if (shape == 5) name += Filler(bytes, Below(40), broken);
        if (shape != 6) name += Filler(bytes, Below(8), broken);
        if (OneIn(6)) name += "." + Filler(bytes, Below(4), broken);
        return name.substr(0, 40);
    }

    // The text with '*' before, inside or after it, or none.
    std::string WithStars(const std::vector<std::string>& chars) {
        std::string text;
        const bool front = OneIn(4);
        const bool back = OneIn(4);
        const int middle = OneIn(3) ? Below(int(chars.size()) + 1) : -1;
        if (front) text += '*';
        for (std::size_t i = 0; i <= chars.size(); ++i) {
            if (int(i) == middle) text += OneIn(4) ? "**" : "*";
            if (i < chars.size()) text += chars[i];
        }
        if (back) text += '*';
        return text;
    }

private:
    std::string Char(bool broken) {
        const int pick = Below(20);
        if (pick < 12) return std::string(1, "abcdeIKST.x "[Below(12)]);
        if (pick < 18 && m_wide) return Pick(kCaseGroups[Below(int(kCaseGroups.size()))]);
        if (pick < 19 && broken) return Pick(kBroken);
        return std::string(1, char('A' + Below(58)));
    }
    std::string Pick(const std::vector<std::string>& choices) { return choices[Below(int(choices.size()))]; }

    // Another case form of one character of the text, or the character itself.
    std::string OtherCase(const std::string& c) {
        if (OneIn(2)) return c;
        for (const auto& group : kCaseGroups) {
            for (const std::string& member : group) {
                if (member == c) return Pick(group);
            }
        }
        if (c.size() == 1 && ((c[0] | 0x20) >= 'a' && (c[0] | 0x20) <= 'z'))
            return std::string(1, char(c[0] ^ 0x20));
        return c;
    }

    // Changes one byte to a neighbour that word-at-a-time code may take for it, or drops or doubles one.
    void NearMiss(std::string& body) {
        const std::size_t at = std::size_t(Below(int(body.size())));
        const int change = Below(5);
        if (change < 3) {
            body[at] = char(change == 0 ? body[at] ^ 1 : change == 1 ? body[at] ^ 0x20 : body[at] + 1);
        } else if (change == 3) {
            body.erase(at, 1);
        } else {
            body.insert(at, 1, body[at]);
        }
    }

    // Neighbours of the text's bytes (c, c ^ 1, c ^ 0x20, ...), whichever of them the search keys on, other
    // characters, and in one name of four some bytes that are not UTF-8. A neighbour of a byte beyond ASCII
    // breaks UTF-8 too, so those come only in such names.
    std::string Filler(const std::string& text, int length, bool broken) {
        std::string filler;
        while (int(filler.size()) < length) {
            const int pick = Below(10);
            const char near = text.empty() ? 'a' : text[std::size_t(Below(int(text.size())))];
            if (pick < 5 && (static_cast<unsigned char>(near) < 0x80 || (broken && pick == 0))) {
                filler += char(near ^ std::vector<int>{0, 1, 0x20, 0x21, 0x40}[std::size_t(Below(5))]);
            } else if (broken && pick == 9) {
                filler += Pick(kBroken);
            } else {
                filler += Char(broken);
            }
        }
        return filler;
    }

    std::mt19937 m_random;
    bool m_wide = false;  // characters beyond ASCII in this case
};

TEST(ScanDifferentialTest, Seed20261210Cases5000EverySearchAgreesWithThePlainSearch) {
    Generator generate(kSeed);
    CKavrelDoc doc;
    int compared = 0;
    int failures = 0;
    for (int round = 0; round < kCases && failures < 10; ++round) {
        const std::vector<std::string> chars = generate.Text();
        const std::string text = generate.WithStars(chars);
        doc.DeleteContents();
        const int names = 4 + generate.Below(12);
        for (int i = 0; i < names; ++i) {
            if (generate.OneIn(25)) {
                doc.AppendEntry({}, {}, {}, {}, {});  // deleted: never found
                continue;
            }
            const char* kind = generate.OneIn(3) ? "folder " : generate.OneIn(8) ? "folder" : "file ";
            doc.AppendEntry("Disc", generate.Name(chars), kind, "\\", "1");
        }
        const EntryStore& entries = doc.Entries();
        const std::string foldedText = SlowFold(text);
        std::vector<std::string> foldedNames;
        for (std::size_t i = 0; i < entries.Size(); ++i) foldedNames.push_back(SlowFold(entries.Name(i)));
        for (const search::Options& options : kAllOptions) {
            const bool fold = !options.caseSensitive;
            std::vector<std::size_t> expected;
            for (std::size_t i = 0; i < entries.Size(); ++i) {
                if (entries.IsDeleted(i)) continue;
                if (!options.fileAndFolder && entries.Kind(i) == "folder ") continue;
                if (SlowMatches(fold ? foldedNames[i] : entries.Name(i), fold ? foldedText : text,
                                options.wholeName)) {
                    expected.push_back(i);
                }
            }
            std::vector<std::size_t> found;
            const std::size_t count =
                search::Scan(doc, text, options, [&](std::size_t i) { found.push_back(i); });
            EXPECT_EQ(count, found.size());
            ++compared;
            if (found == expected) continue;
            ++failures;
            std::vector<std::string> names;
            for (std::size_t i = 0; i < entries.Size(); ++i) names.emplace_back(entries.Name(i));
            ADD_FAILURE() << "case " << round << ", " << options << ", text "
                          << ::testing::PrintToString(text) << ", expected "
                          << ::testing::PrintToString(expected) << ", found "
                          << ::testing::PrintToString(found) << ", names " << ::testing::PrintToString(names);
        }
    }
    std::printf("seed %u: %d cases, %d scans compared\n", kSeed, kCases, compared);
    EXPECT_EQ(compared, kCases * int(std::size(kAllOptions)));
}

}  // namespace
