// Checksums from the window: "Record checksums" in the create-image dialog and the image list, the bytes in
// the progress window, Verify Disc... on a disc node, and an update that keeps a disc's checksums.
#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <semaphore>

#include "FrameTestSupport.h"
#include "IsoImage.h"
#include "WalkHold.h"
#include "catalogue/CCDContent.h"
#include "catalogue/Disc.h"
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

// As root every file can be read: while it lives, files are read as nobody, as a person without the right
// to a locked file would read them.
class ReadAsNobody {
public:
    explicit ReadAsNobody(const std::string& top) : m_root(geteuid() == 0) {
        if (!m_root) return;
        for (const auto& item : std::filesystem::recursive_directory_iterator(top))
            if (item.is_directory()) chmod(item.path().c_str(), 0755);
        chmod(top.c_str(), 0755);
        EXPECT_EQ(seteuid(65534), 0);
    }
    ~ReadAsNobody() {
        if (m_root) {
            EXPECT_EQ(seteuid(0), 0);
        }
    }
    ReadAsNobody(const ReadAsNobody&) = delete;
    ReadAsNobody& operator=(const ReadAsNobody&) = delete;

private:
    bool m_root;
};

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
    const QLocale before;
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
    QLocale::setDefault(before);
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
        const ReadAsNobody nobody(disc.Root());
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
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions())
            if (action->text() == "&Verify Disc...") menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint at = Tree()->visualItemRect(Tree()->currentItem()).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Tree()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(Tree()->viewport(), &event);
    QApplication::processEvents();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Nothing differs: the disc reads as it was catalogued.\n\n5 same, 0 changed content, 0 changed "
              "size, 0 changed date, 0 missing, 0 unreadable, 0 new");

    // Cancelled in its first folder: nothing was checked, and it says so.
    messages.shown.clear();
    WalkHold hold;
    frame->Walks().SetWalkListener(hold.Listener());
    WhenProgressShows([&](QProgressDialog* progress) {
        QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        hold.Open();
    });
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

// Update Disc reads the checksums of a disc that has them again: every file keeps one, the changed file's
// is that of its new bytes.
TEST_F(ChecksumsTest, UpdateKeepsTheDiscsChecksums) {
    CatalogueWithSums();
    std::ofstream(disc.At("INPLACE.BIN"), std::ios::binary | std::ios::trunc) << "new bytes";
    AnswerSource("Update");
    WhenModalOpens<CUpdateDiscDlg>(
        [](CUpdateDiscDlg* dlg) { QTest::mouseClick(dlg->m_pApply, Qt::LeftButton); });
    QTest::keyClick(Tree(), Qt::Key_U, Qt::ControlModifier);

    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(SumsOf(doc, Backup()), (std::pair<std::size_t, std::size_t>{5, 0}));
    const catalogue::Disc backup = Backup();
    std::size_t inPlace = backup.first;
    while (inPlace < backup.end && doc.Entries().Name(inPlace) != "INPLACE.BIN") ++inPlace;
    ASSERT_LT(inPlace, backup.end);
    EXPECT_EQ(doc.Entries().Sum(inPlace), catalogue::SumOf("new bytes"));
}
