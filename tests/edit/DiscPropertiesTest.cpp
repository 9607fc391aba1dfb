#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "DriveEnv.h"
#include "EditTestSupport.h"
#include "ScriptedMessages.h"
#include "WhenModalOpens.h"
#include "catalogue/FormatSize.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"
#include "res/Texts.h"
#include "tree/CDiscPropertiesDlg.h"
#include "tree/CKavrelView.h"
#include "tree/DiscProperties.h"

namespace {

constexpr std::int64_t kCatalogued = 1'561'000'000;

class DiscPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit_test::Fill(m_doc, {{"A", "a1"}, {"A", "a2"}, {"B", "b1"}});
        catalogue::DiscRecord record;
        record.catalogued = kCatalogued;
        record.source = "/media/cdrom";
        record.device = "/dev/sr0";
        record.volumeLabel = "BACKUP_12";
        record.fileSystem = "iso9660";
        record.serial = "2019-06-20-03-06-40-00";
        record.capacity = 4'700'000'000;
        record.location = "Box 1";
        m_doc.EditDiscRecords().Set(2, record);
        m_frame = std::make_unique<CMainFrame>(&m_doc, &m_messages);
        m_doc.SendInitialUpdate();
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
        Tree()->setCurrentItem(DiscB());
        Tree()->setFocus();
    }

    CKavrelView* Tree() const { return m_frame->TreeView(); }
    QTreeWidgetItem* DiscB() const { return Tree()->m_hImageRoot->child(1); }
    const catalogue::DiscRecord* RecordB() const { return m_doc.DiscRecords().Find(2); }

    DriveEnv m_drives{"E=" TAMBEROL_SAMPLES "/disc"};
    ScriptedMessages m_messages;
    CKavrelDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

// Right-clicks `node` and picks "Disc Properties..." from its menu.
void PickFromContextMenu(CKavrelView& tree, QTreeWidgetItem* node) {
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* action : menu->actions()) {
            if (action->text() == "Disc &Properties...") menu->setActiveAction(action);
        }
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = tree.visualItemRect(node).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree.viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree.viewport(), &event);
    QApplication::processEvents();
}

}  // namespace

TEST_F(DiscPropertiesTest, EveryWayInShowsTheDiscAndOnlyOkWithAChangeKeepsIt) {
    const std::function<void()> alt = [this] { QTest::keyClick(Tree(), Qt::Key_Return, Qt::AltModifier); };
    const std::function<void()> menu = [this] { m_frame->Action(cmd::kDiscProperties)->trigger(); };
    const std::function<void()> context = [this] { PickFromContextMenu(*Tree(), DiscB()); };
    const struct {
        const char* why;
        const std::function<void()>& open;
        QString location;  // typed over the old one; null: left alone
        QString notes;
        bool ok;
        const char* keptLocation;
        const char* keptNotes;
        bool modified;
    } cases[] = {
        {"Alt+Enter, typed, OK", alt, "Box 12, shelf 3", "two\nlines", true, "Box 12, shelf 3", "two\nlines",
         true},
        {"Edit menu, typed, Cancel", menu, "elsewhere", "", false, "Box 12, shelf 3", "two\nlines", false},
        {"context menu, OK unchanged",
         context,
         {},
         "two\nlines",
         true,
         "Box 12, shelf 3",
         "two\nlines",
         false},
        {"Alt+Enter, emptied, OK", alt, "", "", true, "", "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        m_doc.SetModifiedFlag(false);
        // The window is active again once a dialog is gone, as it is for a person.
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
        Tree()->setFocus();
        bool shown = false;
        WhenModalOpens<CDiscPropertiesDlg>([&](CDiscPropertiesDlg* dlg) {
            shown = true;
            // It opens on what is kept.
            EXPECT_EQ(dlg->Location(), ToQString(RecordB()->location));
            EXPECT_EQ(dlg->Notes(), ToQString(RecordB()->notes));
            if (!c.location.isNull()) {
                dlg->m_editLocation->selectAll();
                QTest::keyClick(dlg->m_editLocation, Qt::Key_Delete);
                QTest::keyClicks(dlg->m_editLocation, c.location);
            }
            dlg->m_editNotes->setPlainText(c.notes);
            QTest::keyClick(dlg->m_editLocation, c.ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        c.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown && !QApplication::activeModalWidget(); }, 5000));
        ASSERT_NE(RecordB(), nullptr) << "the walk's details stay when the user's texts are emptied";
        EXPECT_EQ(RecordB()->location, c.keptLocation);
        EXPECT_EQ(RecordB()->notes, c.keptNotes);
        EXPECT_EQ(RecordB()->device, "/dev/sr0");
        EXPECT_EQ(m_doc.IsModified(), c.modified);
        EXPECT_EQ(m_frame->isWindowModified(), c.modified);
    }
    EXPECT_FALSE(Tree()->DiscToolTip(DiscB()).contains("Location"));
}

TEST_F(DiscPropertiesTest, OnlyADiscNodeOffersIt) {
    QAction* properties = m_frame->Action(cmd::kDiscProperties);
    EXPECT_TRUE(m_frame->menuBar()->actions()[1]->menu()->actions().contains(properties)) << "Edit menu";
    Tree()->setCurrentItem(DiscB());
    EXPECT_TRUE(properties->isEnabled());
    Tree()->setCurrentItem(Tree()->m_hImageRoot);
    EXPECT_FALSE(properties->isEnabled());
    Tree()->setCurrentItem(Tree()->topLevelItem(0));  // the drive
    EXPECT_FALSE(properties->isEnabled());
    Tree()->setCurrentItem(Tree()->m_hImageRoot->child(0));
    EXPECT_TRUE(properties->isEnabled());
}

TEST(DiscDetails, ShowWhatTheWalkReadInTheProgramsFormsAndUnknownsAsSuch) {
    CKavrelDoc doc;
    doc.AppendEntry("B", "DOCS", "folder ", "\\", "0");
    doc.AppendEntry("B", "a.txt", "file ", "\\DOCS\\", "1");
    catalogue::DiscRecord record;
    record.catalogued = kCatalogued;
    record.source = "/home/me/backup \xE9.iso";
    record.fileSystem = "iso9660";
    record.capacity = 4'700'000'000;
    record.notes = "n";
    doc.EditDiscRecords().Set(0, record);
    const catalogue::Disc disc = catalogue::DiscAt(doc.Entries(), 0);
    const discprops::DiscDetails details = discprops::DetailsOf(doc, disc);
    EXPECT_EQ(details.label, "B");
    const std::vector<std::pair<QString, QString>> expected = {
        {"Catalogued", DateTimeText(kCatalogued)},
        {"Source", QString::fromUtf8("/home/me/backup \xC3\xA9.iso")},
        {"Device", ""},
        {"Volume label", ""},
        {"File system", "iso9660"},
        {"Serial number", ""},
        {"Capacity", "4,700,000,000 bytes"},
        {"Free space", "unknown"},
        {"Entries", "2 entries (1 file, 1 folder)"},
    };
    EXPECT_EQ(details.lines, expected);
    EXPECT_EQ(details.notes, "n");

    // A disc without a record has nothing but its entries; storing unchanged texts stores nothing.
    doc.EditDiscRecords().Clear();
    EXPECT_EQ(discprops::DetailsOf(doc, disc).lines.front().second, "unknown");
    EXPECT_FALSE(discprops::StoreUserTexts(doc, disc, "", ""));
    EXPECT_TRUE(doc.DiscRecords().Empty());
}

// Texts the boxes would change on the way in and out (a Windows line break, a Windows-1252 no-break space)
// stay as they were when the person only looks and presses OK.
TEST_F(DiscPropertiesTest, OkOnTextsLeftAsShownKeepsTheirBytes) {
    catalogue::DiscRecord record = *RecordB();
    record.location =
        "Shelf\xA0"
        "3";
    record.notes = "first\r\nsecond\xA0";
    m_doc.EditDiscRecords().Set(2, record);
    m_doc.SetModifiedFlag(false);
    bool shown = false;
    WhenModalOpens<CDiscPropertiesDlg>([&](CDiscPropertiesDlg* dlg) {
        shown = true;
        QTest::keyClick(dlg->m_editLocation, Qt::Key_Return);
    });
    QTest::keyClick(Tree(), Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown && !QApplication::activeModalWidget(); }, 5000));
    EXPECT_TRUE(*RecordB() == record);
    EXPECT_FALSE(m_doc.IsModified());
}
