// Checksums from the window: "Record checksums" in the create-image dialog and the image list, the bytes in
// the progress window, Verify Disc... on a disc node, and an update that keeps a disc's checksums.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <semaphore>

#include "FrameTestSupport.h"
#include "IsoImage.h"
#include "ReadAsNobody.h"
#include "RightClick.h"
#include "WalkHold.h"
#include "catalogue/CCDContent.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/FileSum.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CImageLabelsDlg.h"
#include "scan/CUpdateDiscDlg.h"
#include "scan/CVerifyReportDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

namespace {

QPushButton* Button(QWidget* dlg, const QString& text) {
    for (QPushButton* push : dlg->findChildren<QPushButton*>())
        if (push->text() == text) return push;
    return nullptr;
}

// Alt+R where the focus is, in `dlg` as the active window, as the window system gives it the key; a check
// box's mnemonic clicks it a moment later, as if pressed and released.
void PressAltR(QWidget* dlg) {
    QApplication::setActiveWindow(dlg);
    const bool before = dlg->findChild<QCheckBox*>()->isChecked();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    for (int i = 0; i < 100 && dlg->findChild<QCheckBox*>()->isChecked() == before; ++i) QTest::qWait(10);
}

// The files of `disc` that have a checksum, and those that have none.
std::pair<std::size_t, std::size_t> SumsOf(const CKavrelDoc& doc, const catalogue::Disc& disc) {
    std::pair<std::size_t, std::size_t> counts;
    for (std::size_t row = disc.first; row < disc.end; ++row)
        if (doc.Entries().Kind(row) == kKindFile)
            ++(doc.Entries().Sum(row).state == EntryStore::SumState::Known ? counts.first : counts.second);
    return counts;
}

class ChecksumsTest : public FrameTest {
protected:
    ChecksumsTest() {
        std::ofstream(disc.At("INPLACE.BIN"), std::ios::binary) << std::string(3000, 'a');
        disc.File("GONE.TXT", 7);
        std::ofstream(disc.At("LOCKED.TXT"), std::ios::binary) << "locked";
        chmod(disc.At("LOCKED.TXT").c_str(), 0644);
        frame->Walks().SetProgressDelay(std::chrono::milliseconds(0));
    }
    CKavrelView* Tree() const { return frame->TreeView(); }
    // Catalogues E: as "Backup" with checksums and selects its node in the tree.
    void CatalogueWithSums() {
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "Backup", "E:\\", true), scan::Outcome::Done);
        doc.SendInitialUpdate();
        doc.SetModifiedFlag(false);
        messages.shown.clear();
        Tree()->setCurrentItem(Tree()->m_hImageRoot->child(0));
        Tree()->setFocus();
    }
    catalogue::Disc Backup() const { return catalogue::FirstDisc(doc.Entries(), "Backup"); }
    // Answers the source dialog with a click on `button` ("Verify" or "Update") and the source proposed.
    static void AnswerSource(const QString& button, QString* title = nullptr) {
        WhenModalOpens<CCreateImageDlg>([=](CCreateImageDlg* dlg) {
            if (title) *title = dlg->windowTitle();
            EXPECT_TRUE(dlg->m_checkSums->isHidden());
            QTest::mouseClick(Button(dlg, button), Qt::LeftButton);
        });
    }
};

// The rows of a verify report: finding, file and reason, each as "finding file reason".
QStringList ReportRows(const CVerifyReportDlg& dlg) {
    QStringList rows;
    for (int i = 0; i < dlg.m_pFiles->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = dlg.m_pFiles->topLevelItem(i);
        rows << (item->text(0) + " " + item->text(1) + " " + item->text(2)).trimmed();
    }
    rows.sort();
    return rows;
}

}  // namespace

TEST_F(ChecksumsTest, RecordChecksumsIsTickedByAltRAndOfferedAgainForTheSession) {
    TempFolder images;
    ASSERT_TRUE(iso::Write(disc.Root(), images.At("disc.iso"), iso::Names::RockRidge));
    const struct {
        const char* label;
        bool offered;  // ticked when the dialog opens
        bool press;    // Alt+R, which toggles the box
    } cases[] = {
        {"Summed", false, true}, {"Plain", true, true}, {"Image", false, true}, {"Image2", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        bool offered = !c.offered;
        if (std::string(c.label).starts_with("Image")) {
            WhenModalOpens<CImageLabelsDlg>([&](CImageLabelsDlg* dlg) {
                offered = dlg->m_checkSums->isChecked();
                dlg->m_listImages->item(0, CImageLabelsDlg::kLabelColumn)->setText(c.label);
                if (c.press) PressAltR(dlg);
                QTest::mouseClick(Button(dlg, "Catalogue"), Qt::LeftButton);
            });
            frame->Walks().OnCatalogueImages({images.At("disc.iso")});
        } else {
            WhenModalOpens<CCreateImageDlg>([&](CCreateImageDlg* dlg) {
                offered = dlg->m_checkSums->isChecked();
                dlg->m_editLabel->setText(c.label);
                dlg->m_cbDrives->setEditText("E:\\");
                if (c.press) PressAltR(dlg);
                QTest::mouseClick(Button(dlg, "Create"), Qt::LeftButton);
            });
            QApplication::setActiveWindow(frame.get());
            QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
        }
        EXPECT_EQ(offered, c.offered);
        const bool sums = c.offered != c.press;
        const auto [summed, unsummed] = SumsOf(doc, catalogue::FirstDisc(doc.Entries(), c.label));
        EXPECT_EQ(summed, sums ? 5u : 0u);
        EXPECT_EQ(unsummed, sums ? 0u : 5u);
    }
}

// While checksums are read, for a new disc and for a verify of one that has them, the progress window
// counts the bytes and its bar follows them.
TEST_F(ChecksumsTest, TheProgressWindowCountsTheBytesRead) {
    disc.File("BIG.BIN", 9'000'000);
    TempFolder images;
    const std::string image = images.At("disc.iso");
    ASSERT_TRUE(iso::Write(disc.Root(), image, iso::Names::RockRidge));
    // What the test changes of the process is put back however it ends: later tests of the process would
    // read numbers in another locale, or call a listener whose test is gone.
    struct Restore {
        QLocale locale;
        WalkRunner& walks;
        ~Restore() {
            QLocale::setDefault(locale);
            walks.SetByteListener({});
        }
    } const restore{QLocale(), frame->Walks()};
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const struct {
        const char* why;
        std::function<void()> run;
        std::string said;
    } cases[] = {
        {"Create Image file",
         [&] {
             WhenModalOpens<CCreateImageDlg>([](CCreateImageDlg* dlg) {
                 dlg->m_editLabel->setText("Backup");
                 dlg->m_cbDrives->setEditText("E:\\");
                 dlg->SetChecksums(true);
                 QTest::mouseClick(Button(dlg, "Create"), Qt::LeftButton);
             });
             QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
         },
         "Search finished!!!"},
        {"Verify Disc",
         [&] {
             Tree()->setCurrentItem(Tree()->m_hImageRoot->child(0));
             AnswerSource("Verify");
             frame->Action(cmd::kVerifyDisc)->trigger();
         },
         "Nothing differs: the disc reads as it was catalogued."},
        {"Create Image file from an image",
         [&] {
             WhenModalOpens<CCreateImageDlg>([&](CCreateImageDlg* dlg) {
                 dlg->m_editLabel->setText("Imaged");
                 dlg->m_cbDrives->setEditText(QString::fromStdString(image));
                 dlg->SetChecksums(true);
                 QTest::mouseClick(Button(dlg, "Create"), Qt::LeftButton);
             });
             QApplication::setActiveWindow(frame.get());
             QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
         },
         "Search finished!!!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        messages.shown.clear();
        // The reading waits at its first count of bytes until the window has shown it.
        std::binary_semaphore gate{0};
        std::atomic<std::uint64_t> held{0};
        std::uint64_t total = 0;
        frame->Walks().SetByteListener([&](std::uint64_t read, std::uint64_t all) {
            total = all;
            std::uint64_t none = 0;
            if (read < all && held.compare_exchange_strong(none, read)) gate.acquire();
        });
        QString shown;
        int value = -1;
        int maximum = -1;
        WhenProgressShows([&](QProgressDialog* progress) {
            for (int i = 0; i < 300 && !(held && progress->labelText().endsWith(" read")); ++i)
                QTest::qWait(10);
            shown = progress->labelText().section('\n', 1);
            value = progress->value();
            maximum = progress->maximum();
            gate.release();
        });
        c.run();
        EXPECT_TRUE(QRegularExpression(R"(^7 entries\n\d\.\d MB of 9\.0 MB read$)").match(shown).hasMatch())
            << shown.toStdString();
        EXPECT_EQ(maximum, 1000);
        ASSERT_GT(total, 0u);
        EXPECT_EQ(value, static_cast<int>(held * 1000 / total));
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text.substr(0, c.said.size()), c.said);
        frame->Walks().SetByteListener({});
    }
}

TEST_F(ChecksumsTest, CtrlShiftVListsEveryFileThatNoLongerReadsAsCatalogued) {
    CatalogueWithSums();
    std::vector<EntryStore::FileSum> sums;
    for (std::size_t row = 0; row < doc.Entries().Size(); ++row) sums.push_back(doc.Entries().Sum(row));
    std::ofstream(disc.At("INPLACE.BIN"), std::ios::binary | std::ios::trunc)
        << std::string(2999, 'a') << 'b';
    std::filesystem::remove(disc.At("GONE.TXT"));
    disc.File("NEW.TXT", 3);
    chmod(disc.At("LOCKED.TXT").c_str(), 0);

    QString title;
    AnswerSource("Verify", &title);
    QStringList rows;
    QString summary;
    WhenModalOpens<CVerifyReportDlg>([&](CVerifyReportDlg* dlg) {
        rows = ReportRows(*dlg);
        summary = dlg->m_pSummary->text();
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    {
        const ReadAsNobody nobody(disc.Root(), {disc.At("LOCKED.TXT")});
        if (!nobody.Ready()) GTEST_SKIP() << "files cannot be read as nobody here";
        QTest::keyClick(Tree(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
    }

    EXPECT_EQ(title, "Verify Disc");
    EXPECT_EQ(rows, (QStringList{"changed content \\INPLACE.BIN", "missing \\GONE.TXT", "new \\NEW.TXT",
                                 "unreadable \\LOCKED.TXT Permission denied"}));
    EXPECT_EQ(summary,
              "2 same, 1 changed content, 0 changed size, 0 changed date, 1 missing, 1 unreadable, 1 new");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(doc.IsModified());
    ASSERT_EQ(doc.Entries().Size(), sums.size());
    for (std::size_t row = 0; row < sums.size(); ++row) EXPECT_EQ(doc.Entries().Sum(row), sums[row]);
}

TEST_F(ChecksumsTest, NothingDifferingIsSaidPlainlyAndACancelledVerifyReportsWhatItChecked) {
    CatalogueWithSums();
    // From the tree's context menu: nothing differs.
    AnswerSource("Verify");
    EXPECT_FALSE(RightClick(*Tree(), Tree()->currentItem(), "&Verify Disc...").isEmpty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Nothing differs: the disc reads as it was catalogued.\n\n5 same, 0 changed content, 0 changed "
              "size, 0 changed date, 0 missing, 0 unreadable, 0 new");

    // Cancelled in its first folder: nothing was checked, and it says so.
    messages.shown.clear();
    // Cancel is pressed once the walk is held in its first folder: pressed before, the walk would stop
    // before it got there.
    WalkHold hold;
    frame->Walks().SetWalkListener(hold.Listener());
    hold.WhileHeld([] { QTest::mouseClick(ShownProgress()->findChild<QPushButton*>(), Qt::LeftButton); },
                   [] { return ShownProgress() != nullptr; });
    AnswerSource("Verify");
    frame->Action(cmd::kVerifyDisc)->trigger();
    EXPECT_TRUE(hold.Reached());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("Nothing differs among the files checked before the verify was "
                                          "cancelled.\n\n0 same"),
              std::string::npos)
        << messages.shown[0].text;
    EXPECT_NE(messages.shown[0].text.find("; cancelled"), std::string::npos);
    frame->Walks().SetWalkListener({});

    // A source that cannot be read is refused with the system's reason, and asked for again: Escape there.
    messages.shown.clear();
    WhenModalOpens<CCreateImageDlg>([this](CCreateImageDlg* dlg) {
        dlg->m_cbDrives->setEditText(QString::fromStdString(disc.At("missing")));
        WhenModalOpens<CCreateImageDlg>([this](CCreateImageDlg* again) {
            EXPECT_EQ(messages.shown.size(), 1u);
            QTest::keyClick(again, Qt::Key_Escape);
        });
        QTest::keyClick(dlg->m_cbDrives, Qt::Key_Return);
    });
    frame->Action(cmd::kVerifyDisc)->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("No such file or directory"), std::string::npos);
    EXPECT_FALSE(doc.IsModified());
}

// Update Disc reads the checksums of a disc that has them again. A file rewritten in place (same size and
// time) and one that cannot be read are listed apart; Apply takes the new checksum of the first and keeps
// the one the second had.
TEST_F(ChecksumsTest, UpdateListsChangedContentAndUnreadableFilesAndKeepsTheChecksums) {
    CatalogueWithSums();
    const EntryStore::FileSum locked = catalogue::SumOf("locked");
    struct stat was {};
    ASSERT_EQ(stat(disc.At("INPLACE.BIN").c_str(), &was), 0);
    std::ofstream(disc.At("INPLACE.BIN"), std::ios::binary | std::ios::trunc)
        << std::string(2999, 'a') << 'b';
    const timespec times[2] = {was.st_mtim, was.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, disc.At("INPLACE.BIN").c_str(), times, 0), 0);
    chmod(disc.At("LOCKED.TXT").c_str(), 0);

    AnswerSource("Update");
    QStringList lists;
    WhenModalOpens<CUpdateDiscDlg>([&](CUpdateDiscDlg* dlg) {
        lists << dlg->findChild<QLabel*>()->text();
        for (int tab = 4; tab < dlg->m_pLists->count(); ++tab) {
            lists << dlg->m_pLists->tabText(tab);
            auto* lines = qobject_cast<QListWidget*>(dlg->m_pLists->widget(tab));
            for (int i = 0; i < lines->count(); ++i) lists << lines->item(i)->text();
        }
        QTest::mouseClick(dlg->m_pApply, Qt::LeftButton);
    });
    {
        const ReadAsNobody nobody(disc.Root(), {disc.At("LOCKED.TXT")});
        if (!nobody.Ready()) GTEST_SKIP() << "files cannot be read as nobody here";
        QTest::keyClick(Tree(), Qt::Key_U, Qt::ControlModifier);
    }

    EXPECT_EQ(lists, (QStringList{"0 added, 0 removed, 0 changed, 0 moved, 1 changed content, 1 unreadable",
                                  "Changed content (1)", "\\INPLACE.BIN", "Unreadable (1)",
                                  "\\LOCKED.TXT  Permission denied"}));
    EXPECT_TRUE(doc.IsModified());
    std::map<std::string_view, EntryStore::FileSum> sums;
    for (std::size_t row = Backup().first; row < Backup().end; ++row)
        sums[doc.Entries().Name(row)] = doc.Entries().Sum(row);
    EXPECT_EQ(sums["INPLACE.BIN"], catalogue::SumOf(std::string(2999, 'a') + 'b'));
    EXPECT_EQ(sums["LOCKED.TXT"], locked);
}

// Memory that runs out where the walk does not guard it itself (here while an image's items are read, as
// the walk listener is told of them) is said, for a new disc and for a verify, and the window goes on.
TEST_F(ChecksumsTest, MemoryRunningOutOnTheWorkerIsSaidAndChangesNothing) {
    TempFolder images;
    const std::string image = images.At("disc.iso");
    ASSERT_TRUE(iso::Write(disc.Root(), image, iso::Names::RockRidge));
    ASSERT_EQ(scan::RunCreateImage(doc, messages, "Imaged", image, true), scan::Outcome::Done);
    doc.SendInitialUpdate();
    doc.SetModifiedFlag(false);
    const std::size_t entries = doc.GetEntryCount();
    struct Restore {
        WalkRunner& walks;
        ~Restore() { walks.SetWalkListener({}); }
    } const restore{frame->Walks()};
    const struct {
        const char* why;
        std::function<void()> run;
    } cases[] = {
        {"Create Image file",
         [&] {
             WhenModalOpens<CCreateImageDlg>([&](CCreateImageDlg* dlg) {
                 dlg->m_editLabel->setText("Another");
                 dlg->m_cbDrives->setEditText(QString::fromStdString(image));
                 QTest::mouseClick(Button(dlg, "Create"), Qt::LeftButton);
             });
             QApplication::setActiveWindow(frame.get());
             QTest::keyClick(frame.get(), Qt::Key_B, Qt::ControlModifier);
         }},
        {"Verify Disc",
         [&] {
             Tree()->setCurrentItem(Tree()->m_hImageRoot->child(0));
             AnswerSource("Verify");
             frame->Action(cmd::kVerifyDisc)->trigger();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        // A new stamp: the image is read again rather than taken from what was kept of its first reading.
        ASSERT_EQ(utimensat(AT_FDCWD, image.c_str(), nullptr, 0), 0);
        messages.shown.clear();
        frame->Walks().SetWalkListener([](std::string_view, std::size_t) { throw std::bad_alloc(); });
        c.run();
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Out of memory"});
        EXPECT_EQ(doc.GetEntryCount(), entries);
        EXPECT_FALSE(doc.IsModified());
    }
}

// The report names the files as the catalogue had them when they were compared: a request that waited at
// the gate during the verify (here one that deletes the disc) runs only once the lines are made. The
// window's commands run as requests, which hold the gate until they end; the runner holds it itself for
// any caller, so it is called here as one that holds nothing.
TEST_F(ChecksumsTest, TheVerifyReportNamesTheFilesAsTheyStoodWhenCompared) {
    CatalogueWithSums();
    std::filesystem::remove(disc.At("GONE.TXT"));
    struct Restore {
        WalkRunner& walks;
        ~Restore() { walks.SetWalkListener({}); }
    } const restore{frame->Walks()};
    WalkHold hold;
    frame->Walks().SetWalkListener(hold.Listener());
    hold.WhileHeld([this] { frame->Request([this] { catalogue::DeleteDisc(doc, Backup()); }); });
    AnswerSource("Verify");
    QStringList rows;
    WhenModalOpens<CVerifyReportDlg>([&](CVerifyReportDlg* dlg) {
        rows = ReportRows(*dlg);
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    frame->Walks().OnVerifyDisc(Backup());
    EXPECT_TRUE(hold.Reached());
    EXPECT_EQ(rows, QStringList{"missing \\GONE.TXT"});
}
