#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QToolBar>

#include "FrameTestSupport.h"
#include "WalkHold.h"
#include "lists/CSecView.h"
#include "res/Texts.h"
#include "scan/CCreateImageDlg.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

namespace {

void FillAndCreate(const QString& label, const QString& drive) {
    WhenModalOpens<CCreateImageDlg>([label, drive](CCreateImageDlg* dlg) {
        dlg->m_editLabel->setText(label);
        dlg->m_cbDrives->setEditText(drive);
        static_cast<QDialog*>(dlg)->accept();
    });
}

std::vector<std::string> Names(CKavrelDoc& doc) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) names.emplace_back(doc.GetEntryAt(i).GetName());
    return names;
}

TEST_F(FrameTest, CtrlBCataloguesTheDiscAndAddsItsNode) {
    EXPECT_EQ(frame->ToolBar()->actions().value(0), frame->Action(cmd::kCreateImage));
    EXPECT_TRUE(frame->FileMenu()->actions().contains(frame->Action(cmd::kCreateImage)));

    FillAndCreate(QStringLiteral("Backup"), QStringLiteral("E:\\"));
    QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);

    // The file system lists A.TXT and DOCS in an order of its own; the file in DOCS follows DOCS at once.
    using Order = std::vector<std::string>;
    const bool docsFirst = doc.GetEntryCount() > 0 && doc.GetEntryAt(0).GetName() == "DOCS";
    EXPECT_EQ(Names(doc), (docsFirst ? Order{"DOCS", "B.DOC", "A.TXT"} : Order{"A.TXT", "DOCS", "B.DOC"}));
    EXPECT_EQ(doc.GetEntryAt(docsFirst ? 1 : 2).GetPath(), "\\DOCS\\");
    EXPECT_EQ(doc.GetEntryAt(0).GetLabel(), "Backup");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Search finished!!!"});
    EXPECT_EQ(doc.m_strLastLabel, "Backup");
    CKavrelView* tree = frame->TreeView();
    ASSERT_EQ(tree->m_hImageRoot->childCount(), 1);
    EXPECT_EQ(CKavrelView::NodeText(tree->m_hImageRoot->child(0)), "Backup");
    EXPECT_TRUE(frame->isWindowModified());

    // The new node shows the disc just catalogued.
    tree->setCurrentItem(tree->m_hImageRoot->child(0));
    EXPECT_EQ(frame->ContentsView()->Contents().Model().rowCount(), 3);
}

TEST_F(FrameTest, LabelStartingWithABlankIsRefused) {
    FillAndCreate(QStringLiteral(" CD"), QStringLiteral("E:\\"));
    frame->Action(cmd::kCreateImage)->trigger();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error:empty or blan"});
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_EQ(frame->TreeView()->m_hImageRoot->childCount(), 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(FrameTest, CancelledDialogChangesNothing) {
    WhenModalOpens<CCreateImageDlg>([](CCreateImageDlg* dlg) {
        dlg->m_editLabel->setText(QStringLiteral("Backup"));
        dlg->reject();
    });
    frame->Action(cmd::kCreateImage)->trigger();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(doc.GetEntryCount(), 0u);
}

TEST_F(FrameTest, MachineWithoutOpticalDriveIsToldSoAndCarriesOn) {
    qputenv("TAMBEROL_DRIVES", "");
    frame->Action(cmd::kCreateImage)->trigger();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"CD/DVD Driver error!"});
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameTest, CancelledWalkLeavesTheCatalogueAsItWas) {
    doc.AppendEntry("Old", "X", "file ", "\\", "1");
    doc.SetModifiedFlag(false);
    doc.SendInitialUpdate();

    // The walk waits in its first folder until the progress window has been cancelled.
    WalkHold hold;
    frame->Walks().SetWalkListener(hold.Listener());
    FillAndCreate(QStringLiteral("Backup"), QStringLiteral("E:\\"));
    QString shownText;
    WhenProgressShows([&](QProgressDialog* progress) {
        shownText = progress->labelText();
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        hold.Open();
    });
    frame->Action(cmd::kCreateImage)->trigger();

    EXPECT_TRUE(hold.Reached());
    EXPECT_TRUE(shownText.startsWith(QStringLiteral("Reading "))) << shownText.toStdString();
    EXPECT_EQ(Names(doc), std::vector<std::string>{"X"});
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(frame->TreeView()->m_hImageRoot->childCount(), 1);
}

// A walk holds the gate it was handed even when it is not itself a request: whatever arrives at the gate
// meanwhile runs once the disc is in.
TEST_F(FrameTest, AWalkHoldsTheGateItWasHandedUntilTheDiscIsIn) {
    DocumentGate gate;
    WalkRunner walks(doc, messages, gate, frame.get());
    WalkHold hold;
    walks.SetWalkListener(hold.Listener());
    bool heldMidWalk = false;
    std::size_t entriesWhenRun = 0;
    hold.WhileHeld([&] {
        gate.Run([&] { entriesWhenRun = doc.GetEntryCount(); });
        heldMidWalk = gate.IsHeld() && gate.Waiting() == 1;
    });
    FillAndCreate(QStringLiteral("Backup"), QStringLiteral("E:\\"));
    walks.OnCreateImage();

    EXPECT_TRUE(hold.Reached());
    EXPECT_TRUE(heldMidWalk);
    EXPECT_EQ(entriesWhenRun, 3u);  // A.TXT, DOCS and DOCS\B.DOC
    EXPECT_FALSE(gate.IsHeld());
}

}  // namespace
