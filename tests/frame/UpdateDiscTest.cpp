#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "FrameTestSupport.h"
#include "RightClick.h"
#include "catalogue/Disc.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CUpdateDiscDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/UpdateDisc.h"
#include "tree/CKavrelView.h"

namespace {

// Answers the source dialog by a click on "Update" with the source it proposes.
void AnswerSource(QString* proposed = nullptr) {
    WhenModalOpens<CCreateImageDlg>([=](CCreateImageDlg* dlg) {
        EXPECT_TRUE(dlg->m_editLabel->isReadOnly());
        if (proposed) *proposed = dlg->m_cbDrives->currentText();
        for (QPushButton* push : dlg->findChildren<QPushButton*>())
            if (push->text() == "Update") QTest::mouseClick(push, Qt::LeftButton);
    });
}

// Answers the dialog of differences by a click on `button` ("Apply" or "Cancel"), keeping its tab titles.
void AnswerDifferences(QString button, QStringList* titles) {
    WhenModalOpens<CUpdateDiscDlg>([=](CUpdateDiscDlg* dlg) {
        for (int i = 0; i < dlg->m_pLists->count(); ++i) *titles << dlg->m_pLists->tabText(i);
        QTest::mouseClick(button == "Apply" ? dlg->m_pApply : dlg->m_pCancel, Qt::LeftButton);
    });
}

class UpdateDiscTest : public FrameTest {
protected:
    void SetUp() override {
        doc.AppendEntry("BEFORE", "X.TXT", kKindFile, "\\", "1");
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "Backup", "E:\\"), scan::Outcome::Done);
        doc.AppendEntry("AFTER", "Y.TXT", kKindFile, "\\", "1");
        catalogue::DiscRecord after;
        after.notes = "kept";
        doc.EditDiscRecords().Set(4, after);
        catalogue::DiscRecord backup = *doc.DiscRecords().Find(1);
        backup.location = "Box 1";
        doc.EditDiscRecords().Set(1, backup);
        doc.SendInitialUpdate();
        doc.SetModifiedFlag(false);
        messages.shown.clear();
        disc.File("NEW.TXT", 5);
        std::filesystem::remove(disc.At("A.TXT"));
        Tree()->setCurrentItem(Tree()->m_hImageRoot->child(1));
        Tree()->setFocus();
    }
    CKavrelView* Tree() const { return frame->TreeView(); }
    catalogue::Disc Backup() const { return catalogue::FirstDisc(doc.Entries(), "Backup"); }
};

}  // namespace

TEST_F(UpdateDiscTest, CtrlUShowsTheDifferencesAndApplyReplacesTheDiscWhereItStands) {
    QStringList titles;
    QString proposed;
    AnswerSource(&proposed);
    AnswerDifferences("Apply", &titles);
    QTest::keyClick(Tree(), Qt::Key_U, Qt::ControlModifier);

    EXPECT_EQ(proposed, "E:\\");  // the source the disc's details keep
    EXPECT_EQ(titles, (QStringList{"Added (1)", "Removed (1)", "Changed (0)", "Moved (0)"}));
    const catalogue::Disc backup = Backup();
    ASSERT_EQ(backup.first, 1u);
    std::vector<std::string> names;
    for (std::size_t row = backup.first; row < backup.end; ++row) names.emplace_back(doc.Entries().Name(row));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.DOC", "DOCS", "NEW.TXT"}));
    EXPECT_EQ(doc.RecordOf(backup)->location, "Box 1");
    EXPECT_EQ(doc.RecordOf(catalogue::FirstDisc(doc.Entries(), "AFTER"))->notes, "kept");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(Tree()->m_hImageRoot->childCount(), 3);
    EXPECT_EQ(CKavrelView::NodeText(Tree()->currentItem()), "Backup");

    // Again from the Edit menu: nothing differs now, which is said, and nothing is marked modified.
    doc.SetModifiedFlag(false);
    AnswerSource();
    frame->Action(cmd::kUpdateDisc)->trigger();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{scan::kNothingDiffersMessage});
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(UpdateDiscTest, CancelOrASourceThatCannotBeReadChangesNothing) {
    const std::vector<std::string> before = [this] {
        std::vector<std::string> names;
        for (std::size_t row = 0; row < doc.GetEntryCount(); ++row)
            names.emplace_back(doc.Entries().Name(row));
        return names;
    }();
    // From the tree's context menu, then Cancel on the differences.
    QStringList titles;
    AnswerSource();
    AnswerDifferences("Cancel", &titles);
    EXPECT_FALSE(RightClick(*Tree(), Tree()->currentItem(), "&Update Disc...").isEmpty());
    EXPECT_EQ(titles.size(), 4);
    EXPECT_FALSE(doc.IsModified());

    // A missing path is refused with the system's reason, and the source dialog comes back: Escape there.
    WhenModalOpens<CCreateImageDlg>([this](CCreateImageDlg* dlg) {
        dlg->m_cbDrives->setEditText(QString::fromStdString(disc.At("missing")));
        WhenModalOpens<CCreateImageDlg>([this](CCreateImageDlg* again) {
            EXPECT_EQ(messages.shown.size(), 1u);  // the refusal came first
            EXPECT_TRUE(again->m_cbDrives->currentText().endsWith("missing"));
            QTest::keyClick(again, Qt::Key_Escape);
        });
        QTest::keyClick(dlg->m_cbDrives, Qt::Key_Return);
    });
    QApplication::setActiveWindow(frame.get());
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_U, Qt::ControlModifier);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("No such file or directory"), std::string::npos)
        << messages.shown[0].text;
    std::vector<std::string> after;
    for (std::size_t row = 0; row < doc.GetEntryCount(); ++row) after.emplace_back(doc.Entries().Name(row));
    EXPECT_EQ(after, before);
    EXPECT_FALSE(doc.IsModified());
}

// A disc catalogued from a path that is not UTF-8 (a Latin-1 name, as old Linux systems made them) shows it
// as Windows-1252 in the drive box; left as shown, the path walked is the one kept, byte for byte.
TEST_F(UpdateDiscTest, AKeptSourceThatIsNotUtf8IsWalkedAsKept) {
    QTemporaryDir top;
    const std::string latin1 = top.path().toStdString() + "/caf\xE9";
    ASSERT_TRUE(std::filesystem::create_directory(latin1));
    std::ofstream(latin1 + "/ONLY.TXT") << "x";
    catalogue::DiscRecord backup = *doc.DiscRecords().Find(1);
    backup.source = latin1;
    doc.EditDiscRecords().Set(1, backup);
    QStringList titles;
    AnswerSource();
    AnswerDifferences("Cancel", &titles);
    QTest::keyClick(Tree(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(titles.value(0), "Added (1)");
    EXPECT_FALSE(doc.IsModified());
}
