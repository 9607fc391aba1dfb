#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "search/NameMatcher.h"
#include "search/SearchEngine.h"

namespace {

using Names = std::vector<std::string>;

// Which names of a catalogue one search finds, in index order.
class MatchTest : public ::testing::Test {
protected:
    void Add(std::initializer_list<std::string_view> names, std::string_view kind = "file ") {
        for (std::string_view name : names) doc.AppendEntry("Disc", name, kind, "\\", "1");
    }
    Names Found(const std::string& text, int code) const {
        Names names;
        const std::size_t count =
            search::Scan(doc, text, search::Options::FromCode(code).value(),
                         [&](std::size_t i) { names.emplace_back(doc.Entries().Name(i)); });
        EXPECT_EQ(count, names.size());
        return names;
    }
    CKavrelDoc doc;
};

TEST_F(MatchTest, WholeNameFoldsUnlessCaseSensitive) {
    Add({"readme.txt", "ReadMe.txt", "README.TXT", "readme.txt.bak", "xreadme.txt"});
    EXPECT_EQ(Found("README.TXT", 11), (Names{"readme.txt", "ReadMe.txt", "README.TXT"}));
    EXPECT_EQ(Found("README.TXT", 111), (Names{"README.TXT"}));
    EXPECT_EQ(Found("README.TX", 11), Names{});
}

TEST_F(MatchTest, PlainTextIsFoundAnywhereInTheName) {
    Add({"readme.txt", "thread.c", "READ.ME", "rea.d", "setup.exe"});
    EXPECT_EQ(Found("read", 10), (Names{"readme.txt", "thread.c", "READ.ME"}));
    EXPECT_EQ(Found("read", 110), (Names{"readme.txt", "thread.c"}));
    EXPECT_EQ(Found("e.t", 110), (Names{"readme.txt"}));
}

TEST_F(MatchTest, BlankIsAnOrdinaryCharacter) {
    Add({"My Documents", "readme", " lead"});
    EXPECT_EQ(Found(" ", 10), (Names{"My Documents", " lead"}));
}

TEST_F(MatchTest, StarStandsForAnyRunAndThePatternCoversTheWholeName) {
    Add({"readme.txt", "report.xyz", "red", "re", "area", "mydoc.txt", "doc", "notes.txt", "TXT",
         "readme.txt.bak"});
    EXPECT_EQ(Found("re*", 110), (Names{"readme.txt", "report.xyz", "red", "re", "readme.txt.bak"}));
    EXPECT_EQ(Found("re*xyz", 110), (Names{"report.xyz"}));
    EXPECT_EQ(Found("*doc*", 110), (Names{"mydoc.txt", "doc"}));
    EXPECT_EQ(Found("*.txt", 110), (Names{"readme.txt", "mydoc.txt", "notes.txt"}));
    EXPECT_EQ(Found("*", 110), (Names{"readme.txt", "report.xyz", "red", "re", "area", "mydoc.txt", "doc",
                                      "notes.txt", "TXT", "readme.txt.bak"}));
    EXPECT_EQ(Found("r**d", 110), (Names{"red"}));
    EXPECT_EQ(Found("re*re", 110), Names{}) << "head and tail may not overlap";
}

TEST_F(MatchTest, PatternWithoutDotAfterLastStarIsAlsoTriedOnTheStem) {
    Add({"readme.txt", "mezzanine", "readme2.txt", "me", "README.TXT", "home.page.html"});
    EXPECT_EQ(Found("*me", 110), (Names{"readme.txt", "me", "home.page.html"}));
    EXPECT_EQ(Found("*me", 10), (Names{"readme.txt", "me", "README.TXT", "home.page.html"}));
    EXPECT_EQ(Found("read*me", 110), (Names{"readme.txt"}));
    // A dot after the last star asks for the extension, which a stem never has.
    EXPECT_EQ(Found("*me.txt", 110), (Names{"readme.txt"}));
}

TEST_F(MatchTest, FoldingCoversLettersBeyondAscii) {
    Add({"été.mp3", "ÉTÉ", "Été 2003", "ete", "Straße", "ΣΟΦΊΑ.doc"});
    EXPECT_EQ(Found("ÉTÉ", 10), (Names{"été.mp3", "ÉTÉ", "Été 2003"}));
    EXPECT_EQ(Found("ÉTÉ", 110), (Names{"ÉTÉ"}));
    EXPECT_EQ(Found("été", 11), (Names{"ÉTÉ"}));
    EXPECT_EQ(Found("STRASSE", 10), Names{}) << "folding is lower-casing, not expansion";
    EXPECT_EQ(Found("straße", 10), (Names{"Straße"}));
    EXPECT_EQ(Found("σοφία*", 10), (Names{"ΣΟΦΊΑ.doc"}));
}

// The two characters beyond ASCII whose simple lower-case form is an ASCII letter: the Kelvin sign ('k') and
// the capital I with dot above ('i', where the full form adds a combining dot that would hide the match).
TEST_F(MatchTest, LettersThatFoldToAsciiAreFoundByTheAsciiText) {
    Add({"300 \u212A.dat", "300 K.dat", "300 k.dat", "300 \u212B.dat", "\u0130stanbul.txt", "ISTANBUL.TXT",
         "\u0131stanbul", "istanbul"});
    const struct {
        std::string text;
        int code;
        Names found;
    } cases[] = {
        {"300 k", 10, {"300 \u212A.dat", "300 K.dat", "300 k.dat"}},
        {"*0 k", 10, {"300 \u212A.dat", "300 K.dat", "300 k.dat"}},
        {"300 k", 110, {"300 k.dat"}},
        {"istanbul", 10, {"\u0130stanbul.txt", "ISTANBUL.TXT", "istanbul"}},
        {"\u0130STANBUL", 10, {"\u0130stanbul.txt", "ISTANBUL.TXT", "istanbul"}},
        {"istanbul.txt", 11, {"\u0130stanbul.txt", "ISTANBUL.TXT"}},
        {"\u0131stanbul", 10, {"\u0131stanbul"}},  // the dotless i is a lower-case letter of its own
        {"istanbul", 110, {"istanbul"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Found(c.text, c.code), c.found) << c.text << " " << c.code;
}

TEST_F(MatchTest, NamesThatAreNotUtf8FoldTheirAsciiLettersOnly) {
    Add({"CAF\xC9.TXT", "caf\xE9.txt"});
    EXPECT_EQ(Found("caf", 10), (Names{"CAF\xC9.TXT", "caf\xE9.txt"}));
    EXPECT_EQ(Found("CAF\xC9.TXT", 11), (Names{"CAF\xC9.TXT"})) << "the byte 0xC9 is kept as it is";
    EXPECT_EQ(Found("caf\xC9", 10), (Names{"CAF\xC9.TXT"}));
}

TEST_F(MatchTest, FilesOnlySkipsExactlyTheFolderKind) {
    Add({"docs"}, "folder ");
    Add({"docs"}, "folder");
    Add({"docs"}, "file ");
    for (int code : {0, 1, 100, 101}) EXPECT_EQ(Found("docs", code).size(), 2u) << code;
    for (int code : {10, 11, 110, 111}) EXPECT_EQ(Found("docs", code).size(), 3u) << code;
}

TEST_F(MatchTest, OnlyTheNameIsSearched) {
    doc.AppendEntry("Backup", "a.txt", "file ", "\\Photos\\", "1,024");
    for (const char* text : {"Backup", "Photos", "1,024", "file"}) {
        for (int code : {0, 10, 100, 110}) EXPECT_EQ(Found(text, code), Names{}) << text << code;
    }
}

TEST_F(MatchTest, WholeNameTextWithStarMatchesNothing) {
    Add({"*", "a*b"});
    EXPECT_EQ(Found("*", 11), Names{});
    EXPECT_EQ(Found("a*b", 111), Names{});
}

}  // namespace

namespace {

// A matcher that is copied or moved keeps working after the one it came from has changed or gone.
TEST(NameMatcherTest, CopiesAndMovesStandOnTheirOwn) {
    EntryStore entries;
    for (std::string_view name : {"ab.cd", "abxcd", "xy.zw", "ab"})
        entries.Append("D", name, "file ", "\\", "1");
    const auto hits = [&entries](const NameMatcher& matcher) {
        std::vector<std::size_t> found;
        matcher.ScanEntries(entries, false, [&](std::size_t i) { found.push_back(i); });
        return found;
    };
    const std::vector<std::size_t> abcd = {0, 1};
    NameMatcher original("a*c*d", true, false);
    const NameMatcher copy = original;
    NameMatcher moved = std::move(original);
    original = NameMatcher("x*y*w", true, false);
    EXPECT_EQ(hits(copy), abcd);
    EXPECT_EQ(hits(moved), abcd);
    EXPECT_EQ(hits(original), (std::vector<std::size_t>{2}));
    moved = copy;
    EXPECT_EQ(hits(moved), abcd);
}

}  // namespace
