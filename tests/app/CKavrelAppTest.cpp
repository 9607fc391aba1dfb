#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <QUuid>

#include "AppTestSupport.h"
#include "DriveEnv.h"
#include "IsoImage.h"
#include "TempFolder.h"
#include "WalkHold.h"
#include "WhenModalOpens.h"
#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/CKavrelApp.h"
#include "app/RecentFileList.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"
#include "res/Skin.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CImageLabelsDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

namespace {

using msg::Answer;
using namespace std::chrono_literals;

// An application whose skin engine cannot be set up.
class NoSkinApp : public CKavrelApp {
public:
    using CKavrelApp::CKavrelApp;

protected:
    bool CreateSkinHost() override { return false; }
};

class AppTest : public AppFixture {
protected:
    DriveEnv drives{"E=" TAMBEROL_SAMPLES "/disc"};

    std::string WriteCatalogue(const char* name, const char* label, int entries) {
        return ::WriteCatalogue(Path(name), label, entries);
    }

    static QString Title(const CKavrelApp& app) { return app.MainFrame()->windowTitle().remove("[*]"); }
    static int DiscNodes(const CKavrelApp& app) {
        return app.MainFrame()->TreeView()->m_hImageRoot->childCount();
    }

    // True while the walk's progress window is on screen. It is not modal, so it is looked for by kind.
    static bool ProgressShown(const CKavrelApp& app) {
        const auto* progress = app.MainFrame()->findChild<QProgressDialog*>();
        return progress && progress->isVisible();
    }

    static QList<QAction*> RecentEntries(const CKavrelApp& app) {
        QList<QAction*> entries;
        for (QAction* action : app.MainFrame()->FileMenu()->actions())
            if (action->text().startsWith('&') && action->text().size() > 1 && action->text()[1].isDigit())
                entries << action;
        return entries;
    }

    // Catalogues the sample disc as "Backup" through Ctrl+B's command, running `act` while the walk is held
    // in its first folder; returns once the command (and whatever waited for it) has run. With the long
    // default delay the walk stays in its first half second: painting, taking no input, no progress window.
    static void WalkHeldWhile(CKavrelApp& app, const std::function<void()>& act,
                              std::chrono::milliseconds progressDelay = 1h) {
        WalkHold hold;
        WalkRunner& walks = app.MainFrame()->Walks();
        walks.SetWalkListener(hold.Listener());
        walks.SetProgressDelay(progressDelay);
        // A walk told to show its progress window at once is held until the window is up.
        hold.WhileHeld(act, [&app, progressDelay] { return progressDelay > 0ms || ProgressShown(app); });
        WhenModalOpens<CCreateImageDlg>([](CCreateImageDlg* dlg) {
            dlg->m_editLabel->setText(QStringLiteral("Backup"));
            dlg->m_cbDrives->setEditText(QStringLiteral("E:\\"));
            static_cast<QDialog*>(dlg)->accept();
        });
        app.MainFrame()->Action(cmd::kCreateImage)->trigger();
        EXPECT_TRUE(hold.Reached());
    }

    static bool Drop(CKavrelApp& app, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        // As in a real drag, the drop only arrives where the drag was let in.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(app.MainFrame(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(app.MainFrame(), &drop);
        return true;
    }
};

// --- Start-up and the ways it ends early ---

TEST_F(AppTest, StartWithoutArgumentShowsAnUntitledEmptyCatalogue) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(Title(app), "Untitled - Tamberol");
    EXPECT_EQ(app.Document().GetEntryCount(), 0u);
    EXPECT_TRUE(app.MainFrame()->IsResultsHidden());
    QAction* placeholder = app.MainFrame()->Action(cmd::kRecentFile);
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_FALSE(placeholder->isEnabled());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(app.ExitInstance(), 0);
    // The skin is let go of once; a second ExitInstance (the destructor's) finds nothing left to do.
    EXPECT_EQ(app.MainFrame(), nullptr);
    QWidget later;
    skin::ApplySkin(&later);
    EXPECT_TRUE(later.styleSheet().isEmpty());
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(AppTest, StartWithACatalogueOpensItBeforeTheWindowShows) {
    const std::string path = WriteCatalogue("start.cdi", "DISC1", 5);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(path)}));
    EXPECT_EQ(app.Document().GetEntryCount(), 5u);
    EXPECT_EQ(Title(app), "start.cdi - Tamberol");
    EXPECT_EQ(DiscNodes(app), 1);
    EXPECT_EQ(RecentEntries(app).size(), 1);
}

TEST_F(AppTest, CatalogueThatCannotBeOpenedEndsTheStartWithAReason) {
    CKavrelApp app(Options());
    EXPECT_FALSE(app.InitInstance({dir.filePath("missing.cdi")}));
    EXPECT_EQ(app.ExitCode(), CKavrelApp::kExitBadArgument);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("missing.cdi"), std::string::npos);
    EXPECT_FALSE(app.MainFrame() && app.MainFrame()->isVisible());
    EXPECT_EQ(app.ExitInstance(), CKavrelApp::kExitBadArgument);
}

TEST_F(AppTest, NoOpticalDriveEndsTheStartWithCodeOne) {
    qputenv("TAMBEROL_DRIVES", "");
    CKavrelApp app(Options());
    EXPECT_FALSE(app.InitInstance({}));
    EXPECT_EQ(app.ExitCode(), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "CD/DVD Driver error!");
    EXPECT_EQ(messages.shown[0].caption, "Kavrel");
    EXPECT_EQ(app.MainFrame(), nullptr);
}

TEST_F(AppTest, MissingSkinEngineEndsTheStartWithItsOwnMessage) {
    NoSkinApp app(Options());
    EXPECT_FALSE(app.InitInstance({}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Can't create a Skin control. Make sure ActiveSkin is installed properly.");
    EXPECT_EQ(messages.shown[0].caption, "Error");
    EXPECT_EQ(messages.shown[0].icon, msg::Icon::Error);
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_NE(app.ExitCode(), 0);
}

// --- Closing, drops, a second start ---

TEST_F(AppTest, ClosingAModifiedCatalogueAsksAndCancelKeepsTheWindow) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    app.Document().AppendEntry("A", "X", kKindFile, "\\", "1");
    messages.answers = {Answer::Cancel};
    EXPECT_FALSE(app.MainFrame()->close());
    EXPECT_TRUE(app.MainFrame()->isVisible());
    messages.answers = {Answer::No};
    app.MainFrame()->Action(cmd::kAppExit)->trigger();
    EXPECT_FALSE(app.MainFrame()->isVisible());
    EXPECT_EQ(messages.Count("Save changes to Untitled?"), 2);
}

TEST_F(AppTest, DroppedCatalogueOpensAfterThePrompt) {
    const std::string path = WriteCatalogue("dropped.cdi", "D", 2);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    app.Document().AppendEntry("A", "X", kKindFile, "\\", "1");

    EXPECT_FALSE(Drop(app, {QUrl::fromLocalFile(dir.filePath("notes.txt"))}));
    messages.answers = {Answer::Cancel};
    ASSERT_TRUE(Drop(app, {QUrl::fromLocalFile(QString::fromStdString(path))}));
    Spin([&] { return !messages.shown.empty(); });
    EXPECT_EQ(app.Document().GetEntryCount(), 1u);

    messages.answers = {Answer::No};
    ASSERT_TRUE(Drop(app, {QUrl::fromLocalFile(dir.filePath("notes.txt")),
                           QUrl::fromLocalFile(QString::fromStdString(path))}));
    Spin([&] { return app.Document().GetEntryCount() == 2u; });
    EXPECT_EQ(Title(app), "dropped.cdi - Tamberol");
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(AppTest, OnlyCatalogueFilesAreTakenFromADrop) {
    EXPECT_EQ(
        CKavrelApp::DroppedCatalogue({QUrl("https://example.org/a.cdi"), QUrl::fromLocalFile("/x/b.txt"),
                                      QUrl::fromLocalFile("/x/C.CDI"), QUrl::fromLocalFile("/x/d.cdi")}),
        "/x/C.CDI");
    EXPECT_TRUE(CKavrelApp::DroppedCatalogue({QUrl::fromLocalFile("/x/b.txt")}).isEmpty());
}

TEST_F(AppTest, SecondStartHandsItsCatalogueToTheFirstAndEnds) {
    const std::string path = WriteCatalogue("sent.cdi", "S", 3);
    CKavrelApp first(Options());
    ASSERT_TRUE(first.InitInstance({}));
    first.Document().AppendEntry("A", "X", kKindFile, "\\", "1");
    messages.answers = {Answer::No};

    ScriptedMessages secondMessages;
    CKavrelApp second({server, &settings, &secondMessages, &dialogs});
    EXPECT_FALSE(second.InitInstance({QString::fromStdString(path)}));
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(second.MainFrame(), nullptr);
    EXPECT_TRUE(secondMessages.shown.empty());

    Spin([&] { return first.Document().GetEntryCount() == 3u; });
    EXPECT_EQ(first.Document().GetEntryCount(), 3u);
    EXPECT_EQ(messages.Count("Save changes to Untitled?"), 1);
    EXPECT_EQ(Title(first), "sent.cdi - Tamberol");
}

TEST_F(AppTest, CatalogueSentWhileADialogIsOpenWaitsForIt) {
    const std::string path = WriteCatalogue("later.cdi", "L", 2);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    QDialog question(app.MainFrame());
    question.setModal(true);
    question.show();
    app.OpenFromOutside(QString::fromStdString(path));
    QCoreApplication::processEvents();
    EXPECT_EQ(app.Document().GetEntryCount(), 0u);
    question.close();
    Spin([&] { return app.Document().GetEntryCount() == 2u; });
    EXPECT_EQ(app.Document().GetEntryCount(), 2u);
}

// --- Requests that arrive during a disc walk ---

TEST_F(AppTest, CataloguesArrivingDuringAWalkWaitUntilTheDiscIsIn) {
    const std::string other = WriteCatalogue("other.cdi", "OTHER", 2);
    const std::string first = Path("first.cdi");
    const auto firstHalfSecond = 1h;
    struct Case {
        const char* name;
        std::chrono::milliseconds progressDelay;
        std::function<void(CKavrelApp&)> send;
    };
    const Case cases[] = {
        {"a second start hands it over", firstHalfSecond,
         [&](CKavrelApp&) {
             ScriptedMessages quiet;
             CKavrelApp second({server, &settings, &quiet, &dialogs});
             EXPECT_FALSE(second.InitInstance({QString::fromStdString(other)}));
         }},
        {"it is dropped on the window", 0ms,
         [&](CKavrelApp& app) {
             EXPECT_TRUE(Drop(app, {QUrl::fromLocalFile(QString::fromStdString(other))}));
         }},
        {"it is chosen from the recent files", firstHalfSecond,
         [&](CKavrelApp& app) { RecentEntries(app).at(0)->trigger(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(QString::fromStdString(first));
        messages.shown.clear();
        CKavrelApp app(Options());
        ASSERT_TRUE(app.InitInstance({}));
        app.Recent().Add(QString::fromStdString(other));
        app.UpdateRecentMenu();
        const DocumentGate& gate = app.MainFrame()->Gate();

        std::size_t waiting = 0;
        std::size_t entriesMidWalk = 1;
        bool progressShown = false;
        messages.answers = {Answer::Ok,
                            Answer::Yes};  // "Search finished!!!", then save the untitled catalogue
        dialogs.savePath = first;
        WalkHeldWhile(
            app,
            [&] {
                c.send(app);
                Spin([&] { return gate.Waiting() > 0; });
                waiting = gate.Waiting();
                entriesMidWalk = app.Document().GetEntryCount();
                progressShown = ProgressShown(app);
            },
            c.progressDelay);

        EXPECT_EQ(waiting, 1u);
        EXPECT_EQ(entriesMidWalk, 0u);
        EXPECT_EQ(progressShown, c.progressDelay == 0ms);
        EXPECT_EQ(messages.Texts(),
                  (std::vector<std::string>{"Search finished!!!", "Save changes to Untitled?"}));
        EXPECT_EQ(Title(app), "other.cdi - Tamberol");
        EXPECT_EQ(app.Document().GetEntryCount(), 2u);
        EXPECT_FALSE(app.Document().IsModified());
        // The disc went into the catalogue it was walked for, which the prompt saved.
        CKavrelDoc saved;
        std::string error;
        ASSERT_TRUE(saved.OnOpenDocument(first, error)) << error;
        EXPECT_GT(saved.GetEntryCount(), 5u);
        EXPECT_EQ(saved.GetFirstLabel(), "Backup");
        EXPECT_EQ(saved.GetLastEntry().GetLabel(), "Backup");
    }
}

// The close request comes as a window manager sends it: through the window system to the window, while the
// progress window is up, or in the first half second before it shows.
TEST_F(AppTest, AWindowManagersCloseDuringAWalkAsksWhetherToStopCataloguing) {
    const struct {
        Answer stop;
        std::chrono::milliseconds progressDelay;
    } cases[] = {{Answer::Yes, 0ms}, {Answer::No, 0ms}, {Answer::Yes, 1h}};
    for (const auto& [stop, progressDelay] : cases) {
        SCOPED_TRACE((stop == Answer::Yes ? "Yes, " : "No, ") + std::to_string(progressDelay.count()) +
                     " ms");
        messages.shown.clear();
        CKavrelApp app(Options());
        ASSERT_TRUE(app.InitInstance({}));
        app.Document().AppendEntry("Old", "X", kKindFile, "\\", "1");
        app.Document().SendInitialUpdate();
        CKavrelView* tree = app.MainFrame()->TreeView();
        tree->setCurrentItem(tree->m_hImageRoot->child(0));
        // Yes: stop, then "No" to saving; No: the walk goes on to "Search finished!!!".
        messages.answers = {stop, stop == Answer::Yes ? Answer::No : Answer::Ok};
        bool openAfterQuestion = false;
        bool progressUp = false;
        QTreeWidgetItem* selectedMidWalk = nullptr;
        WalkHeldWhile(
            app,
            [&] {
                progressUp = ProgressShown(app);
                // The window takes no keys while the disc is catalogued.
                QTest::keyClick(tree, Qt::Key_Up);
                selectedMidWalk = tree->currentItem();
                QWindowSystemInterface::handleCloseEvent(app.MainFrame()->windowHandle());
                QWindowSystemInterface::flushWindowSystemEvents();
                openAfterQuestion = app.MainFrame()->isVisible();
            },
            progressDelay);

        EXPECT_EQ(progressUp, progressDelay == 0ms);
        EXPECT_EQ(selectedMidWalk, tree->m_hImageRoot->child(0));
        EXPECT_TRUE(openAfterQuestion);
        ASSERT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(messages.shown[0].text, "Stop cataloguing the disc?");
        EXPECT_EQ(messages.shown[0].buttons, msg::Buttons::YesNo);
        if (stop == Answer::Yes) {
            EXPECT_EQ(messages.shown[1].text, "Save changes to Untitled?");
            EXPECT_EQ(app.Document().GetEntryCount(), 1u);
            EXPECT_EQ(DiscNodes(app), 1);
            EXPECT_FALSE(app.MainFrame()->isVisible());
        } else {
            EXPECT_EQ(messages.shown[1].text, "Search finished!!!");
            EXPECT_GT(app.Document().GetEntryCount(), 5u);
            EXPECT_EQ(DiscNodes(app), 1 + 1);
            EXPECT_TRUE(app.MainFrame()->isVisible());
        }
    }
}

// --- Menus: recent files, help ---

TEST_F(AppTest, RecentFilesAppearInTheFileMenuAndOpen) {
    const std::string a = WriteCatalogue("a.cdi", "A", 1);
    const std::string b = WriteCatalogue("b.cdi", "B", 2);
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    dialogs.openPath = a;
    app.MainFrame()->Action(cmd::kFileOpen)->trigger();
    dialogs.openPath = b;
    app.MainFrame()->Action(cmd::kFileOpen)->trigger();

    QList<QAction*> entries = RecentEntries(app);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), "&1 b.cdi");
    EXPECT_EQ(entries[1]->text(), "&2 a.cdi");
    EXPECT_FALSE(app.MainFrame()->Action(cmd::kRecentFile)->isVisible());
    const QList<QAction*> menu = app.MainFrame()->FileMenu()->actions();
    EXPECT_LT(menu.indexOf(entries[1]), menu.indexOf(app.MainFrame()->RecentFileAnchor()));

    entries[1]->trigger();
    EXPECT_EQ(app.Document().GetEntryCount(), 1u);
    EXPECT_EQ(RecentEntries(app)[0]->text(), "&1 a.cdi");
}

TEST_F(AppTest, HelpTopicsShowsTheGuide) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    app.MainFrame()->Action(cmd::kHelpTopics)->trigger();
    ASSERT_NE(app.HelpWindow(), nullptr);
    EXPECT_TRUE(app.HelpWindow()->isVisible());
    const QString guide = app.HelpWindow()->Browser()->toPlainText();
    EXPECT_TRUE(guide.contains("TAMBEROL_DRIVES"));
    EXPECT_TRUE(guide.contains("Cataloguing a disc"));
}

TEST_F(AppTest, AboutBoxNamesTheProgramAndItsVersionAndIsSkinned) {
    skin::LoadSkin("Metallic.skn");
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About Kavrel");
    const auto* text = about.findChild<QLabel*>("aboutText");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->text().contains("Tamberol"));
    EXPECT_TRUE(text->text().contains(QRegularExpression("version \\d+\\.\\d+")));
    EXPECT_FALSE(about.styleSheet().isEmpty());
    skin::UnloadSkin();
}

TEST_F(AppTest, PrintWithoutASelectedDiscSaysWhatToDo) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    app.MainFrame()->Action(cmd::kFilePrint)->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(app.SelectedDisc(), "");
}

// --- A whole round: catalogue the sample disc, save, start afresh, reopen from the recent list ---

TEST_F(AppTest, CatalogueSaveNewAndReopenGiveTheSameCatalogue) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    CKavrelDoc& doc = app.Document();
    ASSERT_EQ(scan::RunCreateImage(doc, messages, "SAMPLE", "E:\\"), scan::Outcome::Done);
    ASSERT_GT(doc.GetEntryCount(), 5u);
    EXPECT_EQ(DiscNodes(app), 1);
    std::vector<std::array<std::string, 5>> before;
    for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) {
        const CCDContent e = doc.GetEntryAt(i);
        before.push_back({std::string(e.GetLabel()), std::string(e.GetName()), std::string(e.GetKind()),
                          std::string(e.GetPath()), std::string(e.GetSize())});
    }

    dialogs.savePath = Path("round");
    app.MainFrame()->Action(cmd::kFileSave)->trigger();
    EXPECT_EQ(Title(app), "round.cdi - Tamberol");
    app.MainFrame()->Action(cmd::kFileNew)->trigger();
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_EQ(DiscNodes(app), 0);
    EXPECT_EQ(Title(app), "Untitled - Tamberol");

    ASSERT_EQ(RecentEntries(app).size(), 1);
    RecentEntries(app)[0]->trigger();
    ASSERT_EQ(doc.GetEntryCount(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        const CCDContent e = doc.GetEntryAt(i);
        EXPECT_EQ(e.GetLabel(), before[i][0]);
        EXPECT_EQ(e.GetName(), before[i][1]);
        EXPECT_EQ(e.GetKind(), before[i][2]);
        EXPECT_EQ(e.GetPath(), before[i][3]);
        EXPECT_EQ(e.GetSize(), before[i][4]);
    }
    EXPECT_EQ(DiscNodes(app), 1);
    EXPECT_EQ(CKavrelView::NodeText(app.MainFrame()->TreeView()->m_hImageRoot->child(0)), "SAMPLE");
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace

// --- Disc images: the menu command and a drop ---

namespace {

class AppImagesTest : public AppTest {
protected:
    AppImagesTest() {
        tree.File("A.TXT", 1);
        tree.File("DOCS/B.DOC", 2);
        EXPECT_TRUE(iso::Write(tree.Root(), images.At("one.iso"), iso::Names::RockRidgeAndJoliet, "ONE"));
        EXPECT_TRUE(iso::Write(tree.Root(), images.At("TWO.ISO"), iso::Names::RockRidgeAndJoliet, "TWO"));
    }
    QUrl Url(const char* name) const { return QUrl::fromLocalFile(QString::fromStdString(images.At(name))); }
    // Accepts the labels as proposed, once the list shows up.
    void AcceptLabels() {
        auto shown = std::make_shared<QStringList>();
        WhenModalOpens<CImageLabelsDlg>([shown](CImageLabelsDlg* dlg) {
            *shown = QStringList();
            for (const std::string& label : dlg->Labels()) *shown << QString::fromStdString(label);
            static_cast<QDialog*>(dlg)->accept();
        });
        m_shown = shown;
    }
    QStringList Shown() const { return m_shown ? *m_shown : QStringList(); }

    TempFolder tree;
    TempFolder images;
    std::shared_ptr<QStringList> m_shown;
};

}  // namespace

TEST_F(AppImagesTest, TheMenuCommandCataloguesTheChosenImages) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    QAction* command = app.MainFrame()->Action(cmd::kCatalogueImages);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), "Catalogue Disc &Images...");
    EXPECT_TRUE(app.MainFrame()->FileMenu()->actions().contains(command));

    command->trigger();  // the file dialog is cancelled: nothing is asked or changed
    EXPECT_EQ(dialogs.imagesAsked, 1);
    EXPECT_TRUE(messages.shown.empty());

    dialogs.imagePaths = {images.At("one.iso"), images.At("TWO.ISO")};
    AcceptLabels();
    command->trigger();
    EXPECT_EQ(Shown(), (QStringList{"ONE", "TWO"}));
    EXPECT_EQ(DiscNodes(app), 2);
    EXPECT_EQ(app.Document().GetEntryCount(), 6u);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Disc images catalogued: 2 discs with 6 entries added."});
    messages.whenEmpty = Answer::No;
}

TEST_F(AppImagesTest, DroppedImagesAreCataloguedAndACatalogueInTheDropWins) {
    CKavrelApp app(Options());
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(CKavrelApp::DroppedImages({Url("one.iso"), QUrl::fromLocalFile("/x/notes.txt"), Url("TWO.ISO"),
                                         QUrl("https://example.org/three.iso")}),
              (std::vector<std::string>{images.At("one.iso"), images.At("TWO.ISO")}));

    AcceptLabels();
    ASSERT_TRUE(Drop(app, {Url("one.iso"), Url("TWO.ISO")}));
    Spin([&] { return !messages.shown.empty(); });
    EXPECT_EQ(Shown(), (QStringList{"ONE", "TWO"}));
    EXPECT_EQ(DiscNodes(app), 2);

    // Beside a catalogue, images are left: the catalogue is opened as before.
    const std::string path = WriteCatalogue("dropped.cdi", "D", 3);
    messages.answers = {Answer::No};
    ASSERT_TRUE(Drop(app, {Url("one.iso"), QUrl::fromLocalFile(QString::fromStdString(path))}));
    Spin([&] { return app.Document().GetEntryCount() == 3u; });
    EXPECT_EQ(Title(app), "dropped.cdi - Tamberol");
    EXPECT_EQ(DiscNodes(app), 1);
}
