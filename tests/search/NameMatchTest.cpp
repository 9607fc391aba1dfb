#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OptionNames.h"
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
    Names Found(const std::string& text, const search::Options& options) const {
        Names names;
        const std::size_t count = search::Scan(
            doc, text, options, [&](std::size_t i) { names.emplace_back(doc.Entries().Name(i)); });
        EXPECT_EQ(count, names.size());
        return names;
    }
    CKavrelDoc doc;
};

TEST_F(MatchTest, WholeNameFoldsUnlessCaseSensitive) {
    Add({"readme.txt", "ReadMe.txt", "README.TXT", "readme.txt.bak", "xreadme.txt"});
    EXPECT_EQ(Found("README.TXT", kFoldedWhole), (Names{"readme.txt", "ReadMe.txt", "README.TXT"}));
    EXPECT_EQ(Found("README.TXT", kCasedWhole), (Names{"README.TXT"}));
    EXPECT_EQ(Found("README.TX", kFoldedWhole), Names{});
}

TEST_F(MatchTest, PlainTextIsFoundAnywhereInTheName) {
    Add({"readme.txt", "thread.c", "READ.ME", "rea.d", "setup.exe"});
    EXPECT_EQ(Found("read", kFolded), (Names{"readme.txt", "thread.c", "READ.ME"}));
    EXPECT_EQ(Found("read", kCased), (Names{"readme.txt", "thread.c"}));
    EXPECT_EQ(Found("e.t", kCased), (Names{"readme.txt"}));
}

TEST_F(MatchTest, BlankIsAnOrdinaryCharacter) {
    Add({"My Documents", "readme", " lead"});
    EXPECT_EQ(Found(" ", kFolded), (Names{"My Documents", " lead"}));
}

TEST_F(MatchTest, StarStandsForAnyRunAndThePatternCoversTheWholeName) {
    Add({"readme.txt", "report.xyz", "red", "re", "area", "mydoc.txt", "doc", "notes.txt", "TXT",
         "readme.txt.bak"});
    EXPECT_EQ(Found("re*", kCased), (Names{"readme.txt", "report.xyz", "red", "re", "readme.txt.bak"}));
    EXPECT_EQ(Found("re*xyz", kCased), (Names{"report.xyz"}));
    EXPECT_EQ(Found("*doc*", kCased), (Names{"mydoc.txt", "doc"}));
    EXPECT_EQ(Found("*.txt", kCased), (Names{"readme.txt", "mydoc.txt", "notes.txt"}));
    EXPECT_EQ(Found("*", kCased), (Names{"readme.txt", "report.xyz", "red", "re", "area", "mydoc.txt", "doc",
                                         "notes.txt", "TXT", "readme.txt.bak"}));
    EXPECT_EQ(Found("r**d", kCased), (Names{"red"}));
    EXPECT_EQ(Found("re*re", kCased), Names{}) << "head and tail may not overlap";
}

TEST_F(MatchTest, PatternWithoutDotAfterLastStarIsAlsoTriedOnTheStem) {
    Add({"readme.txt", "mezzanine", "readme2.txt", "me", "README.TXT", "home.page.html"});
    EXPECT_EQ(Found("*me", kCased), (Names{"readme.txt", "me", "home.page.html"}));
    EXPECT_EQ(Found("*me", kFolded), (Names{"readme.txt", "me", "README.TXT", "home.page.html"}));
    EXPECT_EQ(Found("read*me", kCased), (Names{"readme.txt"}));
    // A dot after the last star asks for the extension, which a stem never has.
    EXPECT_EQ(Found("*me.txt", kCased), (Names{"readme.txt"}));
}

TEST_F(MatchTest, FoldingCoversLettersBeyondAscii) {
    Add({"été.mp3", "ÉTÉ", "Été 2003", "ete", "Straße", "ΣΟΦΊΑ.doc"});
    EXPECT_EQ(Found("ÉTÉ", kFolded), (Names{"été.mp3", "ÉTÉ", "Été 2003"}));
    EXPECT_EQ(Found("ÉTÉ", kCased), (Names{"ÉTÉ"}));
    EXPECT_EQ(Found("été", kFoldedWhole), (Names{"ÉTÉ"}));
    EXPECT_EQ(Found("STRASSE", kFolded), Names{}) << "folding is lower-casing, not expansion";
    EXPECT_EQ(Found("straße", kFolded), (Names{"Straße"}));
    EXPECT_EQ(Found("σοφία*", kFolded), (Names{"ΣΟΦΊΑ.doc"}));
}

// The two characters beyond ASCII whose simple lower-case form is an ASCII letter: the Kelvin sign ('k') and
// the capital I with dot above ('i', where the full form adds a combining dot that would hide the match).
TEST_F(MatchTest, LettersThatFoldToAsciiAreFoundByTheAsciiText) {
    Add({"300 \u212A.dat", "300 K.dat", "300 k.dat", "300 \u212B.dat", "\u0130stanbul.txt", "ISTANBUL.TXT",
         "\u0131stanbul", "istanbul"});
    const struct {
        std::string text;
        search::Options options;
        Names found;
    } cases[] = {
        {"300 k", kFolded, {"300 \u212A.dat", "300 K.dat", "300 k.dat"}},
        {"*0 k", kFolded, {"300 \u212A.dat", "300 K.dat", "300 k.dat"}},
        {"300 k", kCased, {"300 k.dat"}},
        {"istanbul", kFolded, {"\u0130stanbul.txt", "ISTANBUL.TXT", "istanbul"}},
        {"\u0130STANBUL", kFolded, {"\u0130stanbul.txt", "ISTANBUL.TXT", "istanbul"}},
        {"istanbul.txt", kFoldedWhole, {"\u0130stanbul.txt", "ISTANBUL.TXT"}},
        {"\u0131stanbul", kFolded, {"\u0131stanbul"}},  // the dotless i is a lower-case letter of its own
        {"istanbul", kCased, {"istanbul"}},
    };
    for (const auto& c : cases) EXPECT_EQ(Found(c.text, c.options), c.found) << c.text << ", " << c.options;
}

TEST_F(MatchTest, NamesThatAreNotUtf8FoldTheirAsciiLettersOnly) {
    Add({"CAF\xC9.TXT", "caf\xE9.txt"});
    EXPECT_EQ(Found("caf", kFolded), (Names{"CAF\xC9.TXT", "caf\xE9.txt"}));
    EXPECT_EQ(Found("CAF\xC9.TXT", kFoldedWhole), (Names{"CAF\xC9.TXT"})) << "the byte 0xC9 is kept as it is";
    EXPECT_EQ(Found("caf\xC9", kFolded), (Names{"CAF\xC9.TXT"}));
}

TEST_F(MatchTest, FilesOnlySkipsExactlyTheFolderKind) {
    Add({"docs"}, "folder ");
    Add({"docs"}, "folder");
    Add({"docs"}, "file ");
    for (const search::Options& options : {kFoldedFiles, kFoldedFilesWhole, kCasedFiles, kCasedFilesWhole})
        EXPECT_EQ(Found("docs", options).size(), 2u) << options;
    for (const search::Options& options : {kFolded, kFoldedWhole, kCased, kCasedWhole})
        EXPECT_EQ(Found("docs", options).size(), 3u) << options;
}

TEST_F(MatchTest, OnlyTheNameIsSearched) {
    doc.AppendEntry("Backup", "a.txt", "file ", "\\Photos\\", "1,024");
    for (const char* text : {"Backup", "Photos", "1,024", "file"}) {
        for (const search::Options& options : {kFoldedFiles, kFolded, kCasedFiles, kCased})
            EXPECT_EQ(Found(text, options), Names{}) << text << ", " << options;
    }
}

TEST_F(MatchTest, WholeNameTextWithStarMatchesNothing) {
    Add({"*", "a*b"});
    EXPECT_EQ(Found("*", kFoldedWhole), Names{});
    EXPECT_EQ(Found("a*b", kCasedWhole), Names{});
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
