#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "DriveEnv.h"
#include "RecordingView.h"
#include "TempFolder.h"
#include "catalogue/Disc.h"
#include "catalogue/Hints.h"
#include "tree/CKavrelView.h"

namespace {

class KavrelViewTest : public ::testing::Test {
protected:
    void AddDisc(const std::string& label, int entries) {
        for (int i = 0; i < entries; ++i) doc.AppendEntry(label, "F" + std::to_string(i), "file ", "\\", "1");
    }

    std::vector<std::string> TopTexts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            texts.push_back(CKavrelView::NodeText(view.topLevelItem(i)));
        return texts;
    }

    std::vector<std::string> DiscTexts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < view.m_hImageRoot->childCount(); ++i)
            texts.push_back(CKavrelView::NodeText(view.m_hImageRoot->child(i)));
        return texts;
    }

    TempFolder discE;
    TempFolder discF;
    DriveEnv drives{"E=" + discE.Root() + ";F=" + discF.Root()};
    CKavrelDoc doc;
    CKavrelView view{&doc};
    RecordingView others{doc};
};

using Texts = std::vector<std::string>;

TEST_F(KavrelViewTest, EmptyCatalogueShowsDrivesAndAChildlessRoot) {
    view.OnInitialUpdate();

    EXPECT_EQ(TopTexts(), (Texts{"CD/DVD Driver:E:\\", "CD/DVD Driver:F:\\", "CD Image files"}));
    EXPECT_EQ(view.m_hImageRoot, view.topLevelItem(2));
    EXPECT_EQ(view.m_hImageRoot->childCount(), 0);
    EXPECT_FALSE(view.m_hImageRoot->isExpanded());
    EXPECT_EQ(view.m_nDriveRootCount, 2);
    EXPECT_EQ(view.m_hCurItem, nullptr);
    EXPECT_EQ(view.currentItem(), nullptr);
    // The build selects nothing and tells nobody.
    EXPECT_TRUE(others.Hints().empty() || others.Hints() == std::vector<int>{0});
}

TEST_F(KavrelViewTest, CatalogueGivesOneNodePerDiscRunUnderAnExpandedRoot) {
    AddDisc("A", 2);
    AddDisc("B", 1);
    AddDisc("A", 1);
    doc.AppendEntry("", "", "", "", "");
    view.OnInitialUpdate();

    EXPECT_EQ(DiscTexts(), (Texts{"A", "B", "A"}));
    EXPECT_TRUE(view.m_hImageRoot->isExpanded());
}

TEST_F(KavrelViewTest, InitialUpdateForgetsTheOldNodes) {
    AddDisc("A", 1);
    view.OnInitialUpdate();
    view.setCurrentItem(view.m_hImageRoot->child(0));
    ASSERT_NE(view.m_hCurItem, nullptr);

    doc.DeleteContents();
    view.OnInitialUpdate();

    EXPECT_EQ(view.m_hCurItem, nullptr);
    EXPECT_EQ(view.m_hImageRoot->childCount(), 0);
}

TEST_F(KavrelViewTest, AtMostTenDriveNodesComeBeforeTheRoot) {
    std::string many;
    for (char letter = 'D'; letter <= 'P'; ++letter)
        many += std::string(1, letter) + "=" + discE.Root() + ";";
    for (const auto& [map, drives] : {std::pair<std::string, int>{"", 0}, {many, 10}}) {
        const DriveEnv env(map);
        view.OnInitialUpdate();
        EXPECT_EQ(view.m_nDriveRootCount, drives);
        ASSERT_EQ(view.topLevelItemCount(), drives + 1);
        EXPECT_EQ(view.topLevelItem(drives), view.m_hImageRoot);
    }
    EXPECT_EQ(CKavrelView::NodeText(view.topLevelItem(9)), "CD/DVD Driver:M:\\");
}

TEST_F(KavrelViewTest, SelectingADiscTellsTheOtherViewsItsLabel) {
    AddDisc("Backup", 1);
    AddDisc("Photos", 1);
    view.OnInitialUpdate();
    others.heard.clear();

    view.setCurrentItem(view.m_hImageRoot->child(1));

    ASSERT_EQ(others.Hints(), std::vector<int>{hint::kShowDisc});
    EXPECT_EQ(others.heard[0].selText, "Photos");
    EXPECT_EQ(view.m_hCurItem, view.m_hImageRoot->child(1));
}

TEST_F(KavrelViewTest, ADiscNodesTooltipCountsItsFilesFoldersAndBytes) {
    doc.AppendEntry("A", "DOCS", "folder ", "\\", "0");
    doc.AppendEntry("A", "a.txt", "file ", "\\DOCS\\", "1,000");
    doc.AppendEntry("", "", "", "", "");
    doc.AppendEntry("A", "b.txt", "file ", "\\DOCS\\", "24");
    doc.AppendEntry("B", "c.txt", "file ", "\\", "12 KB");
    doc.AppendEntry("A", "d.txt", "file ", "\\", "4,294,967,296");
    catalogue::DiscRecord kept;
    kept.location = "Box 12, shelf \xB3";  // the user's bytes, shown as Windows-1252
    doc.EditDiscRecords().Set(4, kept);
    kept.location.clear();
    kept.notes = "no location";
    doc.EditDiscRecords().Set(5, kept);
    view.OnInitialUpdate();
    const std::pair<QTreeWidgetItem*, const char*> cases[] = {
        {view.m_hImageRoot->child(0), "2 files, 1 folder, 1,024 bytes"},
        {view.m_hImageRoot->child(1),
         "1 file, 0 folders, 0 bytes (1 file of unknown size)\nLocation: Box 12, shelf \xC2\xB3"},
        {view.m_hImageRoot->child(2), "1 file, 0 folders, 4,294,967,296 bytes"},  // the second node "A"
        {view.m_hImageRoot, ""},
        {view.topLevelItem(0), ""},
    };
    for (const auto& [node, tip] : cases) EXPECT_EQ(view.DiscToolTip(node).toStdString(), tip);

    // What a person hovering over the node sees.
    view.resize(300, 300);
    view.show();
    QTreeWidgetItem* node = view.m_hImageRoot->child(0);
    const QPoint at = view.visualItemRect(node).center();
    QHelpEvent hover(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &hover);
    EXPECT_EQ(QToolTip::text(), "2 files, 1 folder, 1,024 bytes");
    QToolTip::hideText();
}

TEST_F(KavrelViewTest, SelectingTheRootSendsItsText) {
    view.OnInitialUpdate();
    others.heard.clear();
    view.setCurrentItem(view.m_hImageRoot);
    ASSERT_EQ(others.Hints(), std::vector<int>{hint::kShowDisc});
    EXPECT_EQ(doc.m_strSelText, "CD Image files");
}

TEST_F(KavrelViewTest, SelectingADriveListsItsRootLive) {
    discF.File("README.TXT", 12);
    view.OnInitialUpdate();
    others.heard.clear();

    view.setCurrentItem(view.topLevelItem(1));

    ASSERT_EQ(others.Hints(), (std::vector<int>{hint::kLiveListing, hint::kLiveRow}));
    EXPECT_EQ(others.heard[0].driveRoot, "F:\\");
    EXPECT_EQ(others.heard[1].listTexts, (std::array<std::string, 4>{"README.TXT", "file", "12", "1"}));
}

TEST_F(KavrelViewTest, DiscLabelledLikeADriveIsListedAsThatDrive) {
    AddDisc("CD/DVD Driver:F:\\", 1);
    view.OnInitialUpdate();
    others.heard.clear();
    view.setCurrentItem(view.m_hImageRoot->child(0));
    ASSERT_FALSE(others.heard.empty());
    EXPECT_EQ(others.heard[0].hint, hint::kLiveListing);
    EXPECT_EQ(others.heard[0].driveRoot, "F:\\");
}

TEST_F(KavrelViewTest, KeyboardMovesListTheHighlightedDisc) {
    AddDisc("One", 1);
    AddDisc("Two", 1);
    view.OnInitialUpdate();
    view.setCurrentItem(view.m_hImageRoot->child(0));
    others.heard.clear();

    QTest::keyClick(&view, Qt::Key_Down);

    ASSERT_EQ(others.Hints(), std::vector<int>{hint::kShowDisc});
    EXPECT_EQ(others.heard[0].selText, "Two");
    EXPECT_EQ(view.m_hCurItem, view.currentItem());
}

TEST_F(KavrelViewTest, CataloguedDiscIsAppendedWithoutSelection) {
    AddDisc("A", 1);
    doc.m_strLastLabel = "A";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);  // before the first build: the build shows it
    EXPECT_EQ(view.topLevelItemCount(), 0);
    view.OnInitialUpdate();
    others.heard.clear();

    doc.m_strLastLabel = "A";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
    doc.m_strLastLabel = "";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);

    EXPECT_EQ(DiscTexts(), (Texts{"A", "A", ""}));
    EXPECT_EQ(view.currentItem(), nullptr);
    EXPECT_EQ(others.Hints(), (std::vector<int>{hint::kDiscAdded, hint::kDiscAdded}));
}

TEST_F(KavrelViewTest, PickedDiscIsSelectedAndShownOnce) {
    AddDisc("A", 1);
    AddDisc("B", 1);
    view.OnInitialUpdate();
    view.m_hImageRoot->setExpanded(false);
    others.heard.clear();

    doc.m_strPickLabel = "B";
    doc.UpdateAllViews(&others, hint::kPickDisc);

    // The picked disc is found under a collapsed root too, and only hint::kShowPickedDisc follows (no
    // hint::kShowDisc).
    EXPECT_EQ(view.currentItem(), view.m_hImageRoot->child(1));
    EXPECT_TRUE(view.m_hImageRoot->isExpanded());
    EXPECT_EQ(view.m_hCurItem, view.m_hImageRoot->child(1));
    ASSERT_EQ(others.Hints(), std::vector<int>{hint::kShowPickedDisc});
    EXPECT_EQ(others.heard[0].pickLabel, "B");
}

// A hit names its own entry: of two discs with one label, its own disc is picked, and so is a disc added
// since the build; one added under the label of the disc before it joins that disc's node.
TEST_F(KavrelViewTest, PickedRowSelectsTheNodeOfItsOwnDisc) {
    AddDisc("A", 2);
    AddDisc("B", 1);
    AddDisc("A", 1);
    view.OnInitialUpdate();
    AddDisc("A", 1);  // catalogued next to the second A: the same disc
    doc.m_strLastLabel = "A";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
    AddDisc("C", 1);
    doc.m_strLastLabel = "C";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
    ASSERT_EQ(DiscTexts(), (Texts{"A", "B", "A", "C"}));

    const struct {
        const char* label;
        std::size_t row;
        int node;
    } cases[] = {{"A", 1, 0}, {"A", 3, 2}, {"A", 4, 2}, {"C", 5, 3}, {"A", catalogue::kAnyDisc, 0}};
    for (const auto& c : cases) {
        view.setCurrentItem(view.m_hImageRoot);
        others.heard.clear();
        doc.m_strPickLabel = c.label;
        doc.m_nPickDisc = c.row;
        doc.UpdateAllViews(&others, hint::kPickDisc);
        EXPECT_EQ(view.currentItem(), view.m_hImageRoot->child(c.node)) << c.label << ' ' << c.row;
        EXPECT_EQ(doc.m_nPickDisc, CKavrelView::DiscRow(view.m_hImageRoot->child(c.node)));
    }
}

TEST_F(KavrelViewTest, PickOfAnUnknownLabelChangesNothing) {
    AddDisc("A", 1);
    view.OnInitialUpdate();
    others.heard.clear();
    doc.m_strPickLabel = "a";
    doc.UpdateAllViews(&others, hint::kPickDisc);
    EXPECT_EQ(view.currentItem(), nullptr);
    EXPECT_TRUE(others.heard.empty());
}

TEST_F(KavrelViewTest, LabelBytesSurviveTheRoundTripThroughTheNode) {
    const std::string latin1 = "Caf\xe9 \xe0 Paris";  // Windows-1252, not UTF-8
    AddDisc(latin1, 1);
    view.OnInitialUpdate();
    QTreeWidgetItem* node = view.m_hImageRoot->child(0);
    EXPECT_EQ(node->text(0), QString::fromUtf8("Café à Paris"));
    others.heard.clear();

    view.setCurrentItem(node);
    ASSERT_EQ(others.heard.size(), 1u);
    EXPECT_EQ(others.heard[0].selText, latin1);

    doc.m_strPickLabel = latin1;
    view.setCurrentItem(view.m_hImageRoot);
    doc.UpdateAllViews(&others, hint::kPickDisc);
    EXPECT_EQ(view.currentItem(), node);
}

}  // namespace
