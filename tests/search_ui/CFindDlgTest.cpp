#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "res/Skin.h"
#include "search/CFindDlg.h"
#include "search/Options.h"

namespace {

class FindDlgTest : public ::testing::Test {
protected:
    static QPushButton* Button(CFindDlg& dlg, const QString& text) {
        for (QPushButton* button : dlg.findChildren<QPushButton*>()) {
            if (button->text() == text) return button;
        }
        return nullptr;
    }
    // Sets the boxes and the text as a person would, then presses Search.
    static void Search(CFindDlg& dlg, const QString& text, bool caseSensitive, bool fileAndFolder,
                       bool whole) {
        dlg.m_editFind->setText(text);
        dlg.m_checkCase->setChecked(caseSensitive);
        dlg.m_checkFileAndFolder->setChecked(fileAndFolder);
        dlg.m_checkWholeWord->setChecked(whole);
        Button(dlg, "Search")->click();
    }
};

TEST_F(FindDlgTest, ShowsItsTextsAndControls) {
    CFindDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Gold find");
    QStringList labels;
    for (const QLabel* label : dlg.findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("Search for the file that you wanted at here."));
    EXPECT_TRUE(labels.contains("find gold:"));
    EXPECT_EQ(dlg.m_checkCase->text(), "case sensitive");
    EXPECT_EQ(dlg.m_checkFileAndFolder->text(), "include file and folder");
    EXPECT_EQ(dlg.m_checkWholeWord->text(), "match whole word only");
    ASSERT_NE(Button(dlg, "Search"), nullptr);
    ASSERT_NE(Button(dlg, "Cancel"), nullptr);
    EXPECT_TRUE(Button(dlg, "Search")->isDefault());
    for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(dlg.rect().contains(child->geometry())) << child->metaObject()->className();
    }
}

TEST_F(FindDlgTest, TabGoesFromTheTextThroughTheBoxesToTheButtons) {
    CFindDlg dlg;
    const std::vector<QWidget*> order = {dlg.m_editFind,           dlg.m_checkCase,
                                         dlg.m_checkFileAndFolder, dlg.m_checkWholeWord,
                                         Button(dlg, "Search"),    Button(dlg, "Cancel")};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << i;
    }
}

TEST_F(FindDlgTest, OpensWithTheDefaultsEveryTime) {
    {
        CFindDlg first;
        Search(first, "abc", true, false, true);
        EXPECT_EQ(first.SearchOptions(), (search::Options{true, false, true}));
    }
    CFindDlg dlg;
    EXPECT_EQ(dlg.m_strFind, "");
    EXPECT_EQ(dlg.SearchOptions(), search::Options{});
    EXPECT_TRUE(dlg.m_editFind->text().isEmpty());
    EXPECT_FALSE(dlg.m_checkCase->isChecked());
    EXPECT_TRUE(dlg.m_checkFileAndFolder->isChecked());
    EXPECT_FALSE(dlg.m_checkWholeWord->isChecked());
}

TEST_F(FindDlgTest, CancelLeavesTheMembersAlone) {
    CFindDlg dlg;
    dlg.m_editFind->setText("readme");
    dlg.m_checkCase->setChecked(true);
    Button(dlg, "Cancel")->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_strFind, "");
    EXPECT_EQ(dlg.SearchOptions(), search::Options{});
}

TEST_F(FindDlgTest, SearchTakesTheTextAsTyped) {
    CFindDlg empty;
    Search(empty, "", false, true, false);
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.m_strFind, "");
    EXPECT_EQ(empty.SearchOptions(), search::Options{});

    CFindDlg blank;
    Search(blank, " ", false, true, false);
    EXPECT_EQ(blank.m_strFind, " ");

    CFindDlg accented;
    Search(accented, QString::fromUtf8("Été"), false, true, false);
    EXPECT_EQ(accented.m_strFind, "Été");
}

TEST_F(FindDlgTest, EnterInTheTextPressesSearch) {
    CFindDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.focusWidget(), dlg.m_editFind);
    QTest::keyClicks(dlg.m_editFind, "doc");
    QTest::keyClick(dlg.m_editFind, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_strFind, "doc");
}

TEST_F(FindDlgTest, OnlyMembersEqualToOneCount) {
    CFindDlg dlg;
    dlg.m_bCaseSensitive = 2;
    dlg.m_bFileAndFolder = -1;
    dlg.m_bWholeWord = 1;
    EXPECT_EQ(dlg.SearchOptions(), (search::Options{false, false, true}));
}

// What the options find is the search engine's to test; each box must set its own option and no other,
// whatever the other two are left at.
TEST_F(FindDlgTest, EachBoxSetsItsOwnOption) {
    for (int ticked = 0; ticked < 8; ++ticked) {
        const bool caseBox = (ticked & 4) != 0;
        const bool folderBox = (ticked & 2) != 0;
        const bool wholeBox = (ticked & 1) != 0;
        CFindDlg dlg;
        Search(dlg, "doc", caseBox, folderBox, wholeBox);
        const search::Options options = dlg.SearchOptions();
        EXPECT_EQ(options.caseSensitive, caseBox) << ticked;
        EXPECT_EQ(options.fileAndFolder, folderBox) << ticked;
        EXPECT_EQ(options.wholeName, wholeBox) << ticked;
    }
}

TEST_F(FindDlgTest, TakesTheSkin) {
    if (!skin::LoadSkin("Metallic.skn")) GTEST_SKIP() << "no skin in the resources";
    CFindDlg dlg;
    EXPECT_FALSE(dlg.styleSheet().isEmpty());
    EXPECT_FALSE(Button(dlg, "Search")->geometry().intersects(Button(dlg, "Cancel")->geometry()));
    for (const QWidget* child : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(dlg.rect().contains(child->geometry())) << child->metaObject()->className();
    }
    skin::UnloadSkin();
}

}  // namespace
