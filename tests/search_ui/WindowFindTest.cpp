#include <QCheckBox>
#include <QLineEdit>

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

}  // namespace
