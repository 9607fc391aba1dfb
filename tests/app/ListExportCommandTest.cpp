#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QUuid>

#include "AppTestSupport.h"
#include "CsvReader.h"
#include "DriveEnv.h"
#include "WhenModalOpens.h"
#include "app/CKavrelApp.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "search/CFindDlg.h"
#include "tree/CKavrelView.h"

// File > Export List... through the real window: which list it writes, both forms, and what a person is told
// when the file cannot be written.
namespace {

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        CKavrelDoc doc;
        doc.AppendEntry("Holiday", "DCIM", kKindFolder, "\\", "0");
        doc.AppendEntry("Holiday", "tab\tname.jpg", kKindFile, "\\DCIM\\", "1,024");
        doc.AppendEntry("Holiday", "caf\xE9, \"best\".jpg", kKindFile, "\\DCIM\\", "12");
        doc.AppendEntry("Backup", "other.jpg", kKindFile, "\\", "5");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(Path("discs.cdi"), error)) << error;
        ASSERT_TRUE(app.InitInstance({QString::fromStdString(Path("discs.cdi"))}));
        frame = app.MainFrame();
        // The focus lands only in the active window.
        QApplication::setActiveWindow(frame);
        // The disc in the contents list, the hits of "jpg" below it.
        CKavrelView* tree = frame->TreeView();
        tree->setCurrentItem(tree->m_hImageRoot->child(0));
        WhenModalOpens<CFindDlg>([](CFindDlg* dlg) {
            QTest::keyClicks(dlg->m_editFind, QStringLiteral("jpg"));
            QTest::keyClick(dlg->m_editFind, Qt::Key_Return);
        });
        QTest::keyClick(frame, Qt::Key_F, Qt::ControlModifier);
        ASSERT_FALSE(frame->IsResultsHidden());
        // The find dialog took the activation with it.
        QApplication::setActiveWindow(frame);
    }

    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

    static std::string Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return file.readAll().toStdString();
    }

    QTemporaryDir dir;
    QSettings settings{dir.filePath("settings.ini"), QSettings::IniFormat};
    ScriptedMessages messages;
    ScriptedDialogs dialogs;
    DriveEnv drives{"E=" TAMBEROL_SAMPLES "/disc"};
    CKavrelApp app{
        {"tamberol-test-" + QUuid::createUuid().toString(QUuid::Id128), &settings, &messages, &dialogs}};
    CMainFrame* frame = nullptr;
};

// The catalogue holds no dates and no locations: those columns are there, empty.
const CsvTable kContents = {{"Name", "Attribute", "Path Name", "Size(bits)", "Modified"},
                            {"DCIM", "folder ", "\\", "0", ""},
                            {"tab\tname.jpg", "file ", "\\DCIM\\", "1,024", ""},
                            {"caf\xC3\xA9, \"best\".jpg", "file ", "\\DCIM\\", "12", ""}};
const CsvTable kFolder = {kContents[0], kContents[2], kContents[3]};
// Newest hit on top, as the results list shows them.
const CsvTable kResults = {{"File Name", "Impress", "Path Name", "Size(bits)", "Modified", "Location"},
                           {"other.jpg", "Backup", "\\", "5", "", ""},
                           {"caf\xC3\xA9, \"best\".jpg", "Holiday", "\\DCIM\\", "12", "", ""},
                           {"tab\tname.jpg", "Holiday", "\\DCIM\\", "1,024", "", ""}};

TEST_F(ExportTest, WritesTheListWithTheFocusInEitherForm) {
    const struct {
        const char* why;
        QWidget* focus;
        listexport::Format format;
        const CsvTable& table;
        const char* title;       // of the page, and its heading
        const char* suggestion;  // the file name proposed
        bool inFolder = false;   // the disc's first folder selected in the tree
    } cases[] = {
        {"contents as CSV", frame->ContentsView(), listexport::Format::Csv, kContents, "Holiday", "Holiday"},
        {"contents as HTML", frame->ContentsView(), listexport::Format::Html, kContents, "Holiday",
         "Holiday"},
        {"results as CSV", frame->ResultsView(), listexport::Format::Csv, kResults,
         "Search results for \"jpg\"", "Search results for _jpg_"},
        {"results as HTML", frame->ResultsView(), listexport::Format::Html, kResults,
         "Search results for \"jpg\"", "Search results for _jpg_"},
        {"the tree's focus means the contents list", frame->TreeView(), listexport::Format::Csv, kContents,
         "Holiday", "Holiday"},
        {"one folder of the disc as HTML", frame->ContentsView(), listexport::Format::Html, kFolder,
         "Holiday, folder \\DCIM\\", "Holiday, folder _DCIM_", true},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.inFolder) {
            CKavrelView* tree = frame->TreeView();
            tree->expandItem(tree->m_hImageRoot->child(0));
            tree->setCurrentItem(tree->m_hImageRoot->child(0)->child(0));
        }
        c.focus->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(c.focus->hasFocus());
        const std::string path = Path(("export" + std::to_string(n++)).c_str());
        dialogs.exportTarget = listexport::Target{path, c.format};
        frame->Action(cmd::kExportList)->trigger();
        EXPECT_EQ(dialogs.lastSuggestion, c.suggestion);
        EXPECT_TRUE(messages.shown.empty()) << messages.Texts().front();
        const std::string bytes = Read(path);
        if (c.format == listexport::Format::Csv) {
            ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
            EXPECT_EQ(ReadCsv(std::string_view(bytes).substr(3)), c.table);
            continue;
        }
        QTextDocument page;
        page.setHtml(QString::fromStdString(bytes));
        EXPECT_EQ(page.metaInformation(QTextDocument::DocumentTitle).toStdString(), c.title);
        const QString text = page.toPlainText();
        EXPECT_EQ(text.section('\n', 0, 0).toStdString(), c.title);
        qsizetype at = 0;
        for (const auto& row : c.table) {
            // Cells in the list's order; a tab shows as its picture.
            for (std::string cell : row) {
                if (const auto tab = cell.find('\t'); tab != std::string::npos)
                    cell.replace(tab, 1, "\u2409");
                const qsizetype found = text.indexOf(QString::fromStdString(cell).trimmed(), at);
                ASSERT_GE(found, 0) << cell;
                at = found;
            }
        }
    }
}

TEST_F(ExportTest, CancelWritesNothingAndAFailureSaysWhy) {
    frame->ContentsView()->setFocus();
    dialogs.exportTarget.reset();
    frame->Action(cmd::kExportList)->trigger();
    EXPECT_EQ(dialogs.exportAsked, 1);
    EXPECT_TRUE(messages.shown.empty());

    const std::string path = Path("missing-folder/list.csv");
    dialogs.exportTarget = listexport::Target{path, listexport::Format::Csv};
    frame->Action(cmd::kExportList)->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.rfind(
                  "Cannot export the list to \"" + path + "\": No such file or directory", 0),
              0u)
        << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].icon, msg::Icon::Error);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
}

// An export replaces an older file whole.
TEST_F(ExportTest, AnExportReplacesTheFileItNames) {
    const std::string path = Path("list.csv");
    {
        QFile old(QString::fromStdString(path));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(std::string(100000, 'x').c_str());
    }
    frame->ResultsView()->setFocus();
    QApplication::processEvents();
    dialogs.exportTarget = listexport::Target{path, listexport::Format::Csv};
    frame->Action(cmd::kExportList)->trigger();
    EXPECT_EQ(ReadCsv(Read(path).substr(3)), kResults);
}

}  // namespace
