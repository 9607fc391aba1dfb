#include <gtest/gtest.h>

#include "ListsTestSupport.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "lists/ContentsList.h"

namespace {

using Texts = std::vector<std::string>;

const Texts kLiveHeadings{"Name", "Attribute", "Size(bits)"};
const Texts kCatalogueHeadings{"Name", "Attribute", "Path Name", "Size(bits)", "Modified"};

class ContentsListTest : public ::testing::Test {
protected:
    void Add(const std::string& label, const std::string& name, const std::string& kind = "file ",
             const std::string& path = "\\") {
        doc.AppendEntry(label, name, kind, path, "1");
    }
    int Width(int column) const { return list.Model().Columns()[static_cast<std::size_t>(column)].width; }
    std::vector<int> Widths() const {
        std::vector<int> widths;
        for (const auto& column : list.Model().Columns()) widths.push_back(column.width);
        return widths;
    }
    Texts Names() const { return ColumnTexts(list.Model(), 0); }
    // The row index of a live row by its name, or -1.
    int RowNamed(const std::string& name) const {
        const Texts names = Names();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
    void SendLiveListing(const std::string& root, const std::vector<std::array<std::string, 4>>& rows) {
        doc.m_strDriveRoot = root;
        list.OnUpdate(hint::kLiveListing);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            doc.m_nListRow = static_cast<std::int32_t>(i);
            doc.m_strListRow = rows[i];
            list.OnUpdate(hint::kLiveRow);
        }
    }

    CKavrelDoc doc;
    ContentsList list{&doc};
    ScriptedMessages messages;
};

TEST_F(ContentsListTest, InitialUpdateShowsTheFirstDiscInTheWideCatalogueLayout) {
    FakeDrive drive;
    Add("A", "a1");
    Add("A", "a2");
    Add("B", "b1");
    list.OnInitialUpdate(&messages);
    EXPECT_TRUE(list.IsCatalogueLayout());
    EXPECT_EQ(Headings(list.Model()), kCatalogueHeadings);
    EXPECT_EQ(Widths(), (std::vector<int>{278, 80, 300, 138, 160}));
    EXPECT_EQ(Names(), (Texts{"a1", "a2"}));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ContentsListTest, InitialUpdateWithADeletedFirstEntryShowsNothing) {
    FakeDrive drive;
    doc.AppendEntry("", "", "", "", "");
    Add("A", "a1");
    list.OnInitialUpdate(&messages);
    EXPECT_TRUE(list.IsCatalogueLayout());
    EXPECT_EQ(list.Model().rowCount(), 0);
}

TEST_F(ContentsListTest, InitialUpdateOfAnEmptyCatalogueListsTheFirstDrivesRoot) {
    FakeDrive drive;
    drive.File("A.TXT", 5);
    drive.Folder("SUB");
    list.OnInitialUpdate(&messages);
    EXPECT_FALSE(list.IsCatalogueLayout());
    EXPECT_EQ(Headings(list.Model()), kLiveHeadings);
    EXPECT_EQ(Widths(), (std::vector<int>{200, 100, 100}));
    EXPECT_EQ(list.RootDir(), "E:\\");
    EXPECT_EQ(list.CurrentDir(), "E:\\");
    const int file = RowNamed("A.TXT");
    const int folder = RowNamed("SUB");
    ASSERT_GE(file, 0);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(list.Model().Text(file, 1), "file");
    EXPECT_EQ(list.Model().Text(file, 2), "5");
    EXPECT_EQ(list.Model().Text(folder, 1), "folder");
    EXPECT_TRUE(list.Model().IsFolderRow(folder));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ContentsListTest, InitialUpdateWithoutAnyDriveWarnsEveryTime) {
    FakeDrive noDrive(false);
    list.OnInitialUpdate(&messages);
    list.OnInitialUpdate(&messages);
    ASSERT_EQ(messages.shown.size(), 2u);
    const msg::Request& warning = messages.shown[0];
    EXPECT_EQ(warning.text + warning.caption, "waring: There is no CD/DVD driver in the computer Kavrel");
    EXPECT_TRUE(warning.buttons == msg::Buttons::Ok && warning.icon == msg::Icon::None);
    EXPECT_EQ(Headings(list.Model()), kLiveHeadings);
    EXPECT_EQ(list.Model().rowCount(), 0);
}

// A disc lists what its node stands for: the disc holding the node's row, all of it past deleted entries,
// or by its label alone the first such disc.
TEST_F(ContentsListTest, ShowingADiscListsTheDiscOfItsNode) {
    Add("A", "a1");
    Add("A", "a2");
    Add("B", "b1");
    Add("A", "a3");
    Add("", "");
    Add("A", "a4");
    const struct {
        const char* label;
        std::size_t row;
        Texts names;
    } cases[] = {
        {"A", catalogue::kAnyDisc, {"a1", "a2"}},
        {"A", 0, {"a1", "a2"}},
        {"A", 3, {"a3", "a4"}},  // the second A, past the deleted entry
        {"B", 2, {"b1"}},
        {"B", 3, {}},  // a row of another disc names nothing
    };
    for (const auto& c : cases) {
        doc.m_strSelText = c.label;
        doc.m_nSelDisc = c.row;
        list.OnUpdate(hint::kShowDisc);
        EXPECT_EQ(Names(), c.names) << c.label << ' ' << c.row;
    }
}

TEST_F(ContentsListTest, EmptyLabelsAndOtherHintsLeaveTheListAlone) {
    Add("A", "a1");
    doc.m_strSelText = "A";
    list.OnUpdate(hint::kShowDisc);
    doc.m_strSelText = "";
    for (int other : {hint::kShowDisc, 0, hint::kResultRow, hint::kPickDisc, hint::kDiscAdded})
        list.OnUpdate(other);
    EXPECT_EQ(Names(), (Texts{"a1"}));
    // The tree's root node is no disc.
    doc.m_strSelText = "CD Image files";
    list.OnUpdate(hint::kShowDisc);
    EXPECT_TRUE(list.IsCatalogueLayout());
    EXPECT_EQ(list.Model().rowCount(), 0);
}

TEST_F(ContentsListTest, LayoutSwitchesNeverDuplicateColumns) {
    FakeDrive drive;
    Add("A", "a1");
    Add("B", "b1");
    list.OnInitialUpdate(&messages);
    list.OnInitialUpdate(&messages);
    doc.m_strSelText = "B";
    list.OnUpdate(hint::kShowDisc);
    EXPECT_EQ(Headings(list.Model()), kCatalogueHeadings);
    EXPECT_EQ(Width(0), 278);  // an installed catalogue layout is kept
    EXPECT_EQ(Names(), (Texts{"b1"}));

    SendLiveListing("F:\\", {{"DOCS", "folder", "0", "0"}, {"X", "file", "1", "1"}});
    EXPECT_EQ(Headings(list.Model()), kLiveHeadings);
    EXPECT_EQ(Names(), (Texts{"DOCS", "X"}));
    EXPECT_TRUE(list.Model().IsFolderRow(0));
    EXPECT_FALSE(list.Model().IsFolderRow(1));
    EXPECT_EQ(list.RootDir(), "F:\\");
    EXPECT_EQ(list.CurrentDir(), "F:\\");

    doc.m_strSelText = "A";
    list.OnUpdate(hint::kShowDisc);
    EXPECT_EQ(Headings(list.Model()), kCatalogueHeadings);
    EXPECT_EQ(Width(0), 200);
    EXPECT_EQ(Names(), (Texts{"a1"}));

    SendLiveListing("E:\\", {});
    EXPECT_EQ(Headings(list.Model()), kLiveHeadings);
    EXPECT_EQ(list.Model().rowCount(), 0);
}

TEST_F(ContentsListTest, FolderActivationWalksTheDriveWithoutSimplifying) {
    FakeDrive drive;
    drive.Folder("SUB/DEEP");
    drive.File("SUB/B.TXT", 3);
    drive.File("TOP.TXT", 1);
    list.OnInitialUpdate(&messages);
    ASSERT_GE(RowNamed("SUB"), 0);
    EXPECT_EQ(RowNamed("."), -1);  // a drive's root has no "." or ".."

    ASSERT_TRUE(list.Activate(RowNamed("SUB")));
    EXPECT_EQ(list.CurrentDir(), "E:\\SUB\\");
    EXPECT_GE(RowNamed("."), 0);
    EXPECT_GE(RowNamed(".."), 0);
    EXPECT_GE(RowNamed("B.TXT"), 0);
    EXPECT_GE(RowNamed("DEEP"), 0);

    ASSERT_TRUE(list.Activate(RowNamed("..")));
    EXPECT_EQ(list.CurrentDir(), "E:\\SUB\\..\\");
    EXPECT_GE(RowNamed("TOP.TXT"), 0);

    ASSERT_TRUE(list.Activate(RowNamed("SUB")));
    ASSERT_TRUE(list.Activate(RowNamed("DEEP")));
    EXPECT_EQ(list.CurrentDir(), "E:\\SUB\\..\\SUB\\DEEP\\");
    ASSERT_TRUE(list.Activate(RowNamed(".")));
    EXPECT_EQ(list.CurrentDir(), "E:\\");
    EXPECT_GE(RowNamed("TOP.TXT"), 0);
}

TEST_F(ContentsListTest, FilesCatalogueRowsAndNoSelectionAreNotActivated) {
    FakeDrive drive;
    drive.File("TOP.TXT", 1);
    list.OnInitialUpdate(&messages);
    EXPECT_FALSE(list.Activate(RowNamed("TOP.TXT")));
    EXPECT_FALSE(list.Activate(-1));
    EXPECT_EQ(list.CurrentDir(), "E:\\");

    Add("A", "DOCS", "folder ");
    doc.m_strSelText = "A";
    list.OnUpdate(hint::kShowDisc);
    EXPECT_FALSE(list.Activate(0));
    EXPECT_EQ(Names(), (Texts{"DOCS"}));
}

TEST_F(ContentsListTest, APickedDiscSelectsTheHitsOwnRow) {
    Add("A", "a1");
    Add("B", "X.TXT", "file ", "\\");
    Add("B", "DOCS", "folder ", "\\");
    Add("B", "X.TXT", "file ", "\\DOCS\\");
    doc.m_strPickLabel = "B";
    doc.m_strPickName = "X.TXT";
    doc.m_strPickPath = "\\DOCS\\";
    EXPECT_EQ(list.OnUpdate(hint::kShowPickedDisc), 2);
    EXPECT_EQ(Names(), (Texts{"X.TXT", "DOCS", "X.TXT"}));
    EXPECT_TRUE(list.IsCatalogueLayout());
    EXPECT_EQ(Width(0), 200);

    doc.m_strPickName = "RENAMED.TXT";
    EXPECT_EQ(list.OnUpdate(hint::kShowPickedDisc), -1);
    EXPECT_EQ(list.Model().rowCount(), 3);
}

}  // namespace
