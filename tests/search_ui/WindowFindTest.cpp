#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"
#include "frame/CMainFrame.h"
#include "lists/CThirdView.h"
#include "search/CFindDlg.h"

namespace {

using Names = std::vector<std::string>;

// The main window's Find as a person uses it: Ctrl+F, the text typed, the boxes ticked, Enter.
class WindowFindTest : public ::testing::Test {
protected:
    WindowFindTest() {
        for (const char* name : {"death.txt", "srun.txt", "cba", "data.bin"}) {
            doc.AppendEntry("Disc1", name, "file ", "\\", "0");
        }
        doc.SetMessages(&messages);
        frame = std::make_unique<CMainFrame>(&doc, &messages);
        frame->show();
        doc.SendInitialUpdate();
        QApplication::setActiveWindow(frame.get());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    // The names the results list shows after one search.
    Names Find(const QString& text, bool caseSensitive) {
        auto* poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [poll, text, caseSensitive] {
            auto* dlg = qobject_cast<CFindDlg*>(QApplication::activeModalWidget());
            if (!dlg) return;
            poll->stop();
            poll->deleteLater();
            QTest::keyClicks(dlg->m_editFind, text);
            dlg->m_checkCase->setChecked(caseSensitive);
            QTest::keyClick(dlg->m_editFind, Qt::Key_Return);
        });
        poll->start();
        QApplication::setActiveWindow(frame.get());  // back from the dialog of the search before
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
        Names names;
        if (frame->IsResultsHidden()) return names;
        const auto& rows = frame->ResultsView()->Results().Model();
        for (int row = 0; row < rows.rowCount(); ++row) names.emplace_back(rows.Text(row, 0));
        return names;
    }

    TempFolder disc;
    DriveEnv drives{"E=" + disc.Root()};
    ScriptedMessages messages;
    CKavrelDoc doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(WindowFindTest, ListsOnlyNamesThatHoldTheText) {
    const struct {
        const char* text;
        Names found;
    } cases[] = {{"dat", {"data.bin"}}, {"sun", {}}, {"ca", {}}, {"*dat*", {"data.bin"}}};
    for (const auto& c : cases) {
        for (const bool caseSensitive : {false, true}) {
            messages.shown.clear();
            EXPECT_EQ(Find(c.text, caseSensitive), c.found) << c.text << caseSensitive;
            EXPECT_EQ(messages.Texts(), c.found.empty() ? Names{"The file was not finded!"} : Names{})
                << c.text;
        }
    }
}

}  // namespace
