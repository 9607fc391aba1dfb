#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OptionNames.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "docview/CView.h"
#include "search/SearchEngine.h"

namespace {

using Log = std::vector<std::string>;

// Keeps rows as the results list does: a clear empties it, each hit goes to the top.
class RecordingResults : public CView {
public:
    RecordingResults(CKavrelDoc& doc, Log& log) : m_doc(doc), m_log(log) { SetDocument(&doc); }
    void OnUpdate(CView*, int hintNumber) override {
        if (hintNumber != hint::kResultRow) return;
        if (m_doc.m_bResultRow == 0) {
            m_log.push_back("clear");
            rows.clear();
            return;
        }
        m_log.push_back("hit " + m_doc.m_strFoundName);
        rows.insert(rows.begin(), {m_doc.m_strFoundName, m_doc.m_strFoundLabel, m_doc.m_strFoundPath,
                                   m_doc.m_strFoundSize, m_doc.m_strFoundKind});
    }
    struct Row {
        std::string name, label, path, size, kind;
    };
    std::vector<Row> rows;  // top row first

private:
    CKavrelDoc& m_doc;
    Log& m_log;
};

// A catalogue where each of the eight searches finds a different set of entries for the text "doc".
inline void AddOptionCatalogue(CKavrelDoc& doc) {
    doc.AppendEntry("Disc1", "doc", "file ", "\\", "1");
    doc.AppendEntry("Disc1", "DOC", "file ", "\\", "2");
    doc.AppendEntry("Disc1", "doc", "folder ", "\\", "3");
    doc.AppendEntry("Disc2", "mydoc.txt", "file ", "\\a\\", "4");
    doc.AppendEntry("Disc2", "MyDOC.txt", "folder ", "\\a\\", "5");
    doc.AppendEntry("Disc2", "DOC", "folder ", "\\b\\", "6");
    doc.SetModifiedFlag(false);
}

// Size texts (which number the entries) of what AddOptionCatalogue gives for "doc" in each search.
struct OptionCase {
    search::Options options;
    std::vector<std::string> sizes;
};
inline const std::vector<OptionCase> kOptionCases = {
    {kFoldedFiles, {"1", "2", "4"}},
    {kFoldedFilesWhole, {"1", "2"}},
    {kFolded, {"1", "2", "3", "4", "5", "6"}},
    {kFoldedWhole, {"1", "2", "3", "6"}},
    {kCasedFiles, {"1", "4"}},
    {kCasedFilesWhole, {"1"}},
    {kCased, {"1", "3", "4"}},
    {kCasedWhole, {"1", "3"}},
};

using Outcome = search::Outcome;

class FindTest : public ::testing::Test {
protected:
    void Add(std::string_view label, std::string_view name, std::string_view kind = "file ") {
        doc.AppendEntry(label, name, kind, "\\dir\\", "1,024");
        doc.SetModifiedFlag(false);
    }
    // Runs one search and offers its hits to the results list, as the window does.
    search::Findings Run(const std::string& text, const search::Options& options) {
        log.clear();
        search::Findings found = search::Find(doc, text, options);
        if (found.outcome == Outcome::kSearched) search::ListHits(doc, found.hits);
        return found;
    }
    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (const auto& row : results.rows) names.push_back(row.name);
        return names;
    }

    Log log;
    CKavrelDoc doc;
    RecordingResults results{doc, log};
};

TEST_F(FindTest, HitsComeInIndexOrderFromAllDiscsAfterAClear) {
    Add("Disc1", "readme.txt");
    Add("Disc1", "setup.exe");
    Add("Disc2", "README");
    Add("Disc3", "thread.c");
    const search::Findings found = Run("read", kFolded);
    EXPECT_EQ(found.outcome, Outcome::kSearched);
    EXPECT_EQ(found.hits, (std::vector<std::size_t>{0, 2, 3}));
    EXPECT_EQ(log, (Log{"clear", "hit readme.txt", "hit README", "hit thread.c"}));
    // The latest hit stands at the top of the list.
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"thread.c", "README", "readme.txt"}));
    EXPECT_EQ(doc.m_bResultRow, 0);
}

TEST_F(FindTest, HitIsReportedWithAllItsTextsAsStored) {
    doc.AppendEntry("Holiday 2003", "ReadMe.txt", "file ", "\\docs\\", "12,345");
    Run("README.TXT", kFoldedWhole);
    ASSERT_EQ(results.rows.size(), 1u);
    const auto& row = results.rows[0];
    EXPECT_EQ(row.name, "ReadMe.txt");
    EXPECT_EQ(row.label, "Holiday 2003");
    EXPECT_EQ(row.path, "\\docs\\");
    EXPECT_EQ(row.size, "12,345");
    EXPECT_EQ(row.kind, "file ");
}

TEST_F(FindTest, NoHitIsASearchWithoutHitsThatEmptiesTheList) {
    Add("D", "alpha.txt");
    Add("D", "beta.txt");
    Run("alpha", kFolded);
    ASSERT_EQ(results.rows.size(), 1u);
    const search::Findings found = Run("gamma", kFolded);
    EXPECT_EQ(found.outcome, Outcome::kSearched);
    EXPECT_TRUE(found.hits.empty());
    EXPECT_EQ(log, (Log{"clear"}));
    EXPECT_TRUE(results.rows.empty());
}

TEST_F(FindTest, SecondSearchReplacesRowsOfFirst) {
    Add("D", "alpha.txt");
    Add("D", "beta.txt");
    Run("alpha", kFolded);
    Run("beta", kFolded);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"beta.txt"}));
}

// Which searches are refused, which find nothing to search, and which run, on a full and an empty catalogue.
TEST_F(FindTest, StarInAWholeNameIsRefusedBeforeTheCatalogueCounts) {
    struct Case {
        const char* text;
        search::Options options;
        bool empty;
        Outcome outcome;
    };
    const Case cases[] = {
        {"*.txt", kFoldedWhole, false, Outcome::kStarRefused},
        {"*.txt", kCasedFilesWhole, false, Outcome::kStarRefused},
        {"a*", kFoldedWhole, true, Outcome::kStarRefused},
        {"*", kFolded, true, Outcome::kNoEntries},
        {"x", kCasedWhole, true, Outcome::kNoEntries},
        {"*", kCasedFiles, false, Outcome::kSearched},
    };
    for (const Case& c : cases) {
        doc.DeleteContents();
        if (!c.empty) Add("D", "a.txt");
        const search::Findings found = Run(c.text, c.options);
        EXPECT_EQ(found.outcome, c.outcome) << c.text << " " << c.options;
        EXPECT_EQ(found.hits.size(), c.outcome == Outcome::kSearched ? 1u : 0u) << c.text;
        EXPECT_EQ(log.empty(), c.outcome != Outcome::kSearched) << "nothing reaches the list unless searched";
    }
}

TEST_F(FindTest, CatalogueIsNeverChanged) {
    Add("D", "Alpha.txt");
    Add("D", "docs", "folder ");
    for (const search::Options& options : kAllOptions) {
        Run("alpha.txt", options);
        Run("zzz", options);
    }
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(doc.GetEntryCount(), 2u);
    EXPECT_EQ(doc.Entries().Name(0), "Alpha.txt");
    EXPECT_EQ(doc.Entries().Kind(1), "folder ");
}

TEST_F(FindTest, EachOfTheEightSearchesFindsItsOwnSet) {
    AddOptionCatalogue(doc);
    for (const auto& expected : kOptionCases) {
        Run("doc", expected.options);
        std::vector<std::string> sizes;
        for (auto row = results.rows.rbegin(); row != results.rows.rend(); ++row) sizes.push_back(row->size);
        EXPECT_EQ(sizes, expected.sizes) << expected.options;
    }
}

TEST_F(FindTest, DeletedEntriesAreNeverFound) {
    Add("D", "keep.txt");
    doc.AppendEntry({}, {}, {}, {}, {});
    Add("D", "also.txt");
    for (const search::Options& options : {kFoldedFiles, kFolded, kCasedFiles, kCased}) {
        Run("*", options);
        EXPECT_EQ(RowNames(), (std::vector<std::string>{"also.txt", "keep.txt"})) << options;
    }
    // The empty name of a deleted entry equals an empty text, yet it must not turn up.
    for (const search::Options& options : {kFoldedFilesWhole, kFoldedWhole, kCasedFilesWhole, kCasedWhole}) {
        EXPECT_TRUE(Run("", options).hits.empty()) << options;
        EXPECT_TRUE(results.rows.empty()) << options;
    }
}

}  // namespace
