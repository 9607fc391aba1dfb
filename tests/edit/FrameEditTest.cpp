#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <memory>

#include "DriveEnv.h"
#include "EditTestSupport.h"
#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "WalkHold.h"
#include "WhenModalOpens.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"
#include "lists/CSecView.h"
#include "platform/DeviceNotices.h"
#include "scan/CCreateImageDlg.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

using edit_test::Fill;
using edit_test::Labels;

namespace {

// Device notices that a test sends by hand.
class ManualNotices : public platform::DeviceNotices {
public:
    void SetArrivalHandler(std::function<void()> arrived) override { m_arrived = std::move(arrived); }
    void Arrive() const {
        if (m_arrived) m_arrived();
    }

private:
    std::function<void()> m_arrived;
};

class FrameEdit : public ::testing::Test {
protected:
    DriveEnv m_drives{"E=" TAMBEROL_SAMPLES "/disc"};

    void SetUp() override {
        m_messages.whenEmpty = msg::Answer::No;
        Fill(m_doc, {{"A", "a1"}, {"A", "a2"}, {"B", "b1"}});
        m_frame = std::make_unique<CMainFrame>(&m_doc, &m_messages);
        auto notices = std::make_unique<ManualNotices>();
        m_notices = notices.get();
        m_frame->SetDeviceNotices(std::move(notices));
        m_doc.SendInitialUpdate();
    }

    const ContentsList& Contents() const { return m_frame->ContentsView()->Contents(); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> names;
        for (int row = 0; row < Contents().Model().rowCount(); ++row)
            names.emplace_back(Contents().Model().Text(row, 0));
        std::sort(names.begin(), names.end());
        return names;
    }

    ScriptedMessages m_messages;
    CKavrelDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    ManualNotices* m_notices = nullptr;
};

}  // namespace

TEST_F(FrameEdit, AnArrivalWhileADiscIsShownListsTheFirstDrivesRoot) {
    ASSERT_TRUE(Contents().IsCatalogueLayout());
    ASSERT_EQ(Contents().Model().rowCount(), 2);

    m_notices->Arrive();

    EXPECT_FALSE(Contents().IsCatalogueLayout());
    EXPECT_EQ(Contents().Model().columnCount(), 3);
    EXPECT_EQ(Contents().RootDir(), "E:\\");
    EXPECT_EQ(m_doc.m_strDriveRoot, "E:\\");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"DOCS", "PICS", "README.TXT"}));
    EXPECT_EQ(Labels(m_doc), "A,A,B");
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(FrameEdit, AnArrivalWithoutADriveLeavesAnEmptyLiveLayout) {
    m_doc.m_strDrives[0] = " ";
    m_notices->Arrive();
    EXPECT_FALSE(Contents().IsCatalogueLayout());
    EXPECT_EQ(Contents().Model().columnCount(), 3);
    EXPECT_EQ(Contents().Model().rowCount(), 0);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(FrameEdit, EditCommandsActOnlyWhileTheTreeIsTheActivePane) {
    m_frame->show();
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    QAction* deleteItem = m_frame->Action(cmd::kDeleteItem);
    QAction* renameItem = m_frame->Action(cmd::kItemRename);
    CKavrelView* tree = m_frame->TreeView();
    tree->setCurrentItem(tree->m_hImageRoot->child(1));

    m_frame->ContentsView()->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(deleteItem->isEnabled());
    EXPECT_FALSE(renameItem->isEnabled());
    EXPECT_FALSE(m_frame->Action(cmd::kFilePrint)->isEnabled());
    QTest::keyClick(m_frame->ContentsView(), Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(m_frame->ContentsView(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(tree->viewport()->findChild<QLineEdit*>(), nullptr) << "no edit started";

    tree->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(deleteItem->isEnabled());
    EXPECT_TRUE(renameItem->isEnabled());
    EXPECT_TRUE(m_frame->Action(cmd::kFilePrint)->isEnabled());
    m_messages.answers = {msg::Answer::Yes};
    QTest::keyClick(tree, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(Labels(m_doc), "A,A,");
    EXPECT_TRUE(m_frame->isWindowModified()) << "the title shows the unsaved edit";
}

TEST_F(FrameEdit, ArrivalsAndTreeEditsDuringAWalkWaitForItInTheirOrder) {
    CKavrelView* tree = m_frame->TreeView();
    tree->setCurrentItem(tree->m_hImageRoot->child(1));
    m_messages.answers = {msg::Answer::Ok, msg::Answer::Yes};  // "Search finished!!!", then delete disc B

    WalkHold hold;
    m_frame->Walks().SetWalkListener(hold.Listener());
    bool untouchedMidWalk = false;
    hold.WhileHeld([&] {
        m_notices->Arrive();
        m_frame->Action(cmd::kDeleteItem)->trigger();
        untouchedMidWalk = m_frame->Gate().Waiting() == 2 && Contents().IsCatalogueLayout() &&
                           Labels(m_doc) == "A,A,B" && m_messages.shown.empty();
    });
    WhenModalOpens<CCreateImageDlg>([](CCreateImageDlg* dlg) {
        dlg->m_editLabel->setText(QStringLiteral("Backup"));
        dlg->m_cbDrives->setEditText(QStringLiteral("E:\\"));
        static_cast<QDialog*>(dlg)->accept();
    });
    m_frame->Action(cmd::kCreateImage)->trigger();

    EXPECT_TRUE(untouchedMidWalk);
    EXPECT_EQ(m_messages.Texts(),
              (std::vector<std::string>{"Search finished!!!", "Do you want to delete this item?"}));
    EXPECT_EQ(Labels(m_doc).substr(0, 12), "A,A,,Backup,");
    EXPECT_FALSE(Contents().IsCatalogueLayout());
    EXPECT_EQ(Contents().RootDir(), "E:\\");
    EXPECT_EQ(m_frame->Gate().Waiting(), 0u);
}
