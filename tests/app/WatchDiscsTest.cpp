#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "DriveEnv.h"
#include "FakeDrives.h"
#include "IsoImage.h"
#include "ScriptedMessages.h"
#include "StoreRows.h"
#include "TempFolder.h"
#include "WhenModalOpens.h"
#include "app/CKavrelApp.h"
#include "frame/CMainFrame.h"
#include "scan/CWatchDlg.h"
#include "tree/CKavrelView.h"

namespace {

namespace fs = std::filesystem;

class WatchDiscsTest : public AppFixture {
protected:
    DriveEnv drives{"E=" + Path("drive")};

    // An image of a folder holding `files`, with its own volume label.
    std::string Image(const char* name, const char* label, int files) {
        TempFolder folder;
        for (int i = 0; i < files; ++i) folder.File("F" + std::to_string(i) + ".TXT", 10 + i);
        const std::string image = Path(name);
        EXPECT_TRUE(iso::Write(folder.Root(), image, iso::Names::RockRidgeAndJoliet, label));
        return image;
    }
    // Puts a copy of `image` in the mapped drive, as a disc put in a tray: renamed into place whole.
    void Insert(const std::string& image) {
        fs::copy_file(image, Path("drive.tmp"), fs::copy_options::overwrite_existing);
        fs::rename(Path("drive.tmp"), Path("drive"));
    }
    static std::vector<std::string> LogLines(const CWatchDlg* dlg) {
        std::vector<std::string> lines;
        for (int i = 0; i < dlg->Log()->count(); ++i)
            lines.push_back(dlg->Log()->item(i)->text().toStdString());
        return lines;
    }
    // What a person presses on the main window for File > "Catalogue Discs As They Arrive...".
    static void PressCtrlShiftB(CKavrelApp& app) {
        QApplication::setActiveWindow(app.MainFrame());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(app.MainFrame()));
        QTest::keyClick(app.MainFrame(), Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    }
    std::vector<std::string> SavedLabels() {
        CKavrelDoc saved;
        std::string error;
        EXPECT_TRUE(saved.OnOpenDocument(Path("watch.cdi"), error)) << error;
        return DiscLabels(saved.Entries());
    }
};

// Three discs in a row through Ctrl+Shift+B: two new ones added under their volume labels and saved as each
// is done, the first put in again recognised and skipped when the person says No, no dialog per disc.
TEST_F(WatchDiscsTest, DiscsArrivingInADriveAreCataloguedSavedAndAKnownOneSkipped) {
    const std::string one = Image("one.iso", "ONE", 3);
    const std::string two = Image("two.iso", "TWO", 2);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    // A catalogue without a file is given one first.
    dialogs.savePath = Path("watch.cdi");
    messages.answers = {msg::Answer::No};  // the known disc is skipped
    std::vector<std::string> lines;
    std::vector<std::string> savedAfterFirst;
    WhenModalOpens<CWatchDlg>([&](CWatchDlg* dlg) {
        // Alt+O: open the tray after each disc (off the window's thread; a mapped drive has no tray).
        QApplication::setActiveWindow(dlg);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg));
        QTest::keyClick(dlg, Qt::Key_O, Qt::AltModifier);
        EXPECT_TRUE(Spin([&] { return dlg->EjectBox()->isChecked(); }));
        Insert(one);
        EXPECT_TRUE(Spin([&] { return dlg->Log()->count() == 1; }));
        savedAfterFirst = SavedLabels();
        fs::remove(Path("drive"));
        EXPECT_TRUE(Spin([&] {
            return dlg->DriveList()->item(0, CWatchDlg::kStateColumn) &&
                   dlg->DriveList()->item(0, 1)->text().startsWith("done");
        }));
        QTest::qWait(150);
        Insert(two);
        EXPECT_TRUE(Spin([&] { return dlg->Log()->count() == 2; }));
        fs::remove(Path("drive"));
        QTest::qWait(150);
        Insert(one);
        EXPECT_TRUE(Spin([&] { return dlg->Log()->count() == 3; }));
        lines = LogLines(dlg);
        QTest::mouseClick(dlg->StopButton(), Qt::LeftButton);
    });
    PressCtrlShiftB(app);

    EXPECT_EQ(dialogs.saveAsked, 1);
    EXPECT_EQ(savedAfterFirst, (std::vector<std::string>{"ONE"}));
    EXPECT_EQ(SavedLabels(), (std::vector<std::string>{"ONE", "TWO"}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "E:\\: \"ONE\" 3 entries added, ejected");
    EXPECT_EQ(lines[1], "E:\\: \"TWO\" 2 entries added, ejected");
    EXPECT_EQ(lines[2], "E:\\: \"ONE\" already catalogued as \"ONE\": skipped, ejected");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("already catalogued as \"ONE\""), std::string::npos);
    EXPECT_EQ(app.MainFrame()->TreeView()->m_hImageRoot->childCount(), 2);
    EXPECT_FALSE(app.Document().IsModified());
}

// A close request from the window system while a disc is read asks as a walk does; Yes stops the disc,
// adds nothing of it, and the watch window closes once the reading has stopped.
TEST_F(WatchDiscsTest, AWindowSystemCloseDuringADiscAsksAndYesAddsNothingOfIt) {
    // A folder whose one file is read for its checksum for long enough to be caught reading.
    fs::create_directory(Path("big"));
    {
        std::ofstream big(Path("big") + "/BIG.BIN");
        big.seekp((std::int64_t{64} << 30) - 1);
        big.put('\0');
    }
    fs::last_write_time(Path("big"), fs::file_time_type::clock::now() - std::chrono::seconds(5));
    WriteCatalogue(Path("watch.cdi"), "Old", 2);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(Path("watch.cdi"))}));
    messages.answers = {msg::Answer::Yes};
    bool closed = false;
    std::vector<std::string> lines;
    WhenModalOpens<CWatchDlg>([&](CWatchDlg* dlg) {
        // The box applies to the discs that arrive from now on.
        for (QCheckBox* box : dlg->findChildren<QCheckBox*>())
            if (box->text().contains("checksums")) box->setChecked(true);
        fs::rename(Path("big"), Path("drive"));
        EXPECT_TRUE(Spin([&] {
            return dlg->DriveList()->item(0, CWatchDlg::kStateColumn) &&
                   dlg->DriveList()->item(0, 1)->text().startsWith("reading");
        }));
        // A label typed over while the disc is read stays as typed through the list's refreshes.
        QTableWidget* list = dlg->DriveList();
        EXPECT_TRUE(Spin([&] { return !list->item(0, CWatchDlg::kLabelColumn)->text().isEmpty(); }));
        QApplication::setActiveWindow(dlg);
        EXPECT_TRUE(QTest::qWaitForWindowActive(dlg));
        list->setFocus();
        list->setCurrentCell(0, CWatchDlg::kLabelColumn);
        // The first key opens the editor with itself; the rest go to the editor.
        QTest::keyClicks(list, "M");
        QTest::keyClicks(QApplication::focusWidget(), "INE");
        QTest::qWait(300);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        EXPECT_TRUE(editor && editor->text() == "MINE");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The edit is taken once the event loop runs, as the delegate commits it.
        EXPECT_TRUE(Spin([&] { return list->item(0, CWatchDlg::kLabelColumn)->text() == "MINE"; }));
        EXPECT_TRUE(list->item(0, CWatchDlg::kStateColumn)->text().startsWith("reading \"MINE\""));
        QWindowSystemInterface::handleCloseEvent(dlg->windowHandle());
        QWindowSystemInterface::flushWindowSystemEvents();
        closed = Spin([&] { return !dlg->isVisible(); });
        lines = LogLines(dlg);
    });
    PressCtrlShiftB(app);

    EXPECT_TRUE(closed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Stop cataloguing the disc?");
    EXPECT_EQ(lines, std::vector<std::string>{"E:\\: \"MINE\" cancelled"});
    EXPECT_EQ(app.Document().GetEntryCount(), 2u);
    EXPECT_EQ(SavedLabels(), (std::vector<std::string>{"Old"}));
}

// A save that fails stops the watch; a disc that ends after it is not on file either, so its tray stays shut.
TEST(WatchWindow, NoTrayOpensForADiscNotOnFile) {
    TempFolder a;
    TempFolder b;
    a.File("A.TXT", 1);
    b.File("B.TXT", 2);
    auto fake = std::make_unique<FakeDrives>();
    FakeDrives& drives = *fake;
    CKavrelDoc doc;
    ScriptedMessages messages;
    CWatchDlg dlg(doc, messages, std::move(fake), [] { return false; });
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_O, Qt::AltModifier);
    for (int waited = 0; waited < 5000 && !dlg.EjectBox()->isChecked(); waited += 20) QTest::qWait(20);
    ASSERT_TRUE(dlg.EjectBox()->isChecked());
    drives.Set({Holding("E:\\", a.Root(), "1"), Holding("F:\\", b.Root(), "2")});
    for (int waited = 0; waited < 10000 && dlg.Log()->count() < 2; waited += 20) QTest::qWait(20);
    EXPECT_EQ(dlg.Log()->count(), 2);
    EXPECT_EQ(drives.Ejected(), std::vector<std::string>{});
}

}  // namespace
