#include <QCheckBox>
#include <QLineEdit>

#include "catalogue/Hints.h"
#include "docview/CView.h"
#include "frame/FrameTestSupport.h"
#include "lists/CThirdView.h"
#include "search/CFindDlg.h"

namespace {

using Names = std::vector<std::string>;

// The main window's Find as a person uses it: Ctrl+F, the text typed, the box ticked, Enter. Names that hold
// a neighbour of the text's first byte (c ^ 1) right before the rest of the text were once listed as hits.
class WindowFindTest : public FrameTest {
protected:
    // The names the results list shows after one search.
    Names Find(const QString& text, bool caseSensitive) {
        WhenModalOpens<CFindDlg>([text, caseSensitive](CFindDlg* dlg) {
            QTest::keyClicks(dlg->m_editFind, text);
            dlg->m_checkCase->setChecked(caseSensitive);
            QTest::keyClick(dlg->m_editFind, Qt::Key_Return);
        });
        QApplication::setActiveWindow(frame.get());  // back from the dialog of the search before
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
        Names names;
        const auto& rows = frame->ResultsView()->Results().Model();
        for (int row = 0; !frame->IsResultsHidden() && row < rows.rowCount(); ++row) {
            names.emplace_back(rows.Text(row, 0));
        }
        return names;
    }
};

TEST_F(WindowFindTest, ListsOnlyNamesThatHoldTheText) {
    for (const char* name : {"death.txt", "srun.txt", "cba", "data.bin"}) {
        doc.AppendEntry("Disc1", name, "file ", "\\", "0");
    }
    doc.SendInitialUpdate();
    const std::pair<const char*, Names> cases[] = {
        {"dat", {"data.bin"}}, {"sun", {}}, {"ca", {}}, {"*dat*", {"data.bin"}}};
    for (const auto& [text, found] : cases) {
        for (const bool caseSensitive : {false, true}) {
            messages.shown.clear();
            EXPECT_EQ(Find(text, caseSensitive), found) << text << caseSensitive;
            EXPECT_EQ(messages.Texts(), found.empty() ? Names{"The file was not finded!"} : Names{}) << text;
        }
    }
}

// Writes into `log` what the results list is offered ("clear", "hit <name>") and when the results pane
// opens or closes, so that a test sees the order a person sees them in.
class PaneLog : public QObject, public CView {
public:
    PaneLog(CKavrelDoc& doc, QWidget* pane, std::vector<std::string>& log) : m_doc(doc), m_log(log) {
        SetDocument(&doc);
        pane->installEventFilter(this);
    }
    void OnUpdate(CView*, int hint) override {
        if (hint == hint::kResultRow)
            m_log.push_back(m_doc.m_bResultRow ? "hit " + m_doc.m_strFoundName : "clear");
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent) m_log.push_back("show pane");
        if (event->type() == QEvent::HideToParent) m_log.push_back("hide pane");
        return false;
    }

private:
    CKavrelDoc& m_doc;
    std::vector<std::string>& m_log;
};

// Ctrl+F from a pane hidden or shown, on a catalogue or an empty one: the pane opens before the hits come,
// stays open behind "not found" and closes after it; a '*' in a whole name is refused before anything else.
TEST_F(WindowFindTest, ThePaneOpensAndClosesAroundTheHitsAndMessagesInOrder) {
    constexpr const char* kNotFound = "message: The file was not finded!";
    constexpr const char* kStar = "message: waring: Can't include characters:'*' ";
    struct Case {
        const char* text;
        bool whole;
        bool empty;      // an empty catalogue
        bool paneShown;  // the pane before the search
        Names events;
    };
    const Case cases[] = {
        {"read", false, false, false, {"show pane", "clear", "hit readme.txt", "hit README"}},
        {"read", false, false, true, {"clear", "hit readme.txt", "hit README"}},
        {"gamma", false, false, false, {"show pane", "clear", kNotFound, "hide pane"}},
        {"*.txt", true, false, true, {kStar}},
        {"a*", true, true, false, {kStar}},
        {"x", true, true, false, {kNotFound}},
        {"x", true, true, true, {kNotFound, "hide pane"}},
        {"x", false, true, true, {}},
    };
    const PaneLog pane(doc, frame->ResultsView(), log);
    for (const Case& c : cases) {
        doc.DeleteContents();
        if (!c.empty) {
            doc.AppendEntry("Disc1", "readme.txt", "file ", "\\", "1");
            doc.AppendEntry("Disc2", "README", "file ", "\\", "2");
        }
        doc.SendInitialUpdate();
        if (c.paneShown) frame->ShowResultsPane();
        log.clear();
        WhenModalOpens<CFindDlg>([&c](CFindDlg* dlg) {
            QTest::keyClicks(dlg->m_editFind, QString::fromLatin1(c.text));
            dlg->m_checkWholeWord->setChecked(c.whole);
            QTest::keyClick(dlg->m_editFind, Qt::Key_Return);
        });
        QApplication::setActiveWindow(frame.get());
        QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);
        EXPECT_EQ(log, c.events) << c.text << " whole " << c.whole << " empty " << c.empty;
    }
    EXPECT_EQ(messages.shown.back().caption, "Kavrel");
    EXPECT_EQ(messages.shown.back().buttons, msg::Buttons::Ok);
    EXPECT_EQ(messages.shown.back().icon, msg::Icon::None);
}

// Every new or opened catalogue starts with the results pane hidden, its rows kept for nothing.
TEST_F(WindowFindTest, ANewCatalogueHidesTheResultsPane) {
    doc.AppendEntry("Disc1", "data.bin", "file ", "\\", "0");
    doc.SendInitialUpdate();
    ASSERT_EQ(Find("dat", false), Names{"data.bin"});
    ASSERT_FALSE(frame->IsResultsHidden());
    for (int round = 0; round < 2; ++round) {
        doc.DeleteContents();
        doc.SendInitialUpdate();
        EXPECT_TRUE(frame->IsResultsHidden()) << round;
        EXPECT_FALSE(frame->ResultsView()->isVisible()) << round;
    }
}

}  // namespace
