#include <QAction>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolTip>

#include "FrameTestSupport.h"
#include "catalogue/Hints.h"
#include "frame/CRowSplitter.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "res/Texts.h"
#include "search/CFindDlg.h"
#include "tree/CKavrelView.h"

namespace {

QStringList MenuItems(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        QString item = action->isSeparator() ? QStringLiteral("-") : action->text();
        if (!action->shortcut().isEmpty()) item += QLatin1Char('\t') + action->shortcut().toString();
        items << item;
    }
    return items;
}

QMenu* TopMenu(QMainWindow& window, int index) {
    return window.menuBar()->actions().at(index)->menu();
}

TEST_F(FrameTest, MenusCarryTheirItemsAndAccelerators) {
    EXPECT_EQ(MenuItems(TopMenu(*frame, 0)),
              (QStringList{"&New\tCtrl+N", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-",
                           "&Create Image file\tCtrl+B", "-", "Recent File", "-", "E&xit"}));
    EXPECT_EQ(MenuItems(TopMenu(*frame, 1)),
              (QStringList{"&Find\tCtrl+F", "&Delete Item\tCtrl+D", "Item &Rename\tCtrl+R"}));
    EXPECT_EQ(MenuItems(TopMenu(*frame, 2)), (QStringList{"&Toolbar"}));
    EXPECT_EQ(MenuItems(TopMenu(*frame, 3)), (QStringList{"&Help Topics\tCtrl+H", "-", "&About Kavrel..."}));
    EXPECT_EQ(frame->FileMenu(), TopMenu(*frame, 0));
    EXPECT_FALSE(frame->Action(cmd::kRecentFile)->isEnabled());
    EXPECT_EQ(frame->FileMenu()->actions().indexOf(frame->RecentFileAnchor()),
              frame->FileMenu()->actions().indexOf(frame->Action(cmd::kRecentFile)) + 1);
    EXPECT_EQ(frame->findChild<QStatusBar*>(), nullptr);
}

TEST_F(FrameTest, AcceleratorsWithoutMenuItemsAreInTheWindow) {
    const std::pair<int, QList<QKeySequence>> keys[] = {
        {cmd::kFilePrint, {QKeySequence("Ctrl+P")}},
        {cmd::kEditCopy, {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}},
        {cmd::kEditCut, {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}},
        {cmd::kEditPaste, {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}},
        {cmd::kEditUndo, {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}},
        {cmd::kNextPane, {QKeySequence("F6")}},
        {cmd::kPrevPane, {QKeySequence("Shift+F6")}}};
    for (const auto& [id, sequences] : keys) {
        ASSERT_NE(frame->Action(id), nullptr) << id;
        EXPECT_EQ(frame->Action(id)->shortcuts(), sequences) << id;
        EXPECT_TRUE(frame->actions().contains(frame->Action(id))) << id;
    }
    EXPECT_EQ(frame->Action(12345), nullptr);
}

TEST_F(FrameTest, ToolbarHasSixFixedButtonsAndOnlyThreeTooltips) {
    QToolBar* bar = frame->ToolBar();
    EXPECT_FALSE(bar->isMovable());
    EXPECT_FALSE(bar->isFloatable());
    const QList<QAction*> expected{frame->Action(cmd::kCreateImage), frame->Action(cmd::kFileOpen),
                                   frame->Action(cmd::kFileSave),    frame->Action(cmd::kFind),
                                   frame->Action(cmd::kHelpTopics),  frame->Action(cmd::kAppAbout)};
    ASSERT_EQ(bar->actions(), expected);

    const QStringList tips{"", "Open", "Save", "", "", "About"};
    for (int i = 0; i < expected.size(); ++i) {
        QWidget* button = bar->widgetForAction(expected[i]);
        EXPECT_FALSE(expected[i]->icon().isNull());
        QHelpEvent ask(QEvent::ToolTip, QPoint(2, 2), button->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(button, &ask);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tips[i]) << i;
        QToolTip::hideText();
        ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    }
}

TEST_F(FrameTest, ViewToolbarHidesAndShowsTheToolbar) {
    QAction* toggle = frame->Action(cmd::kViewToolbar);
    EXPECT_TRUE(toggle->isChecked());
    toggle->trigger();
    EXPECT_FALSE(frame->ToolBar()->isVisible());
    toggle->trigger();
    EXPECT_TRUE(frame->ToolBar()->isVisible());
    EXPECT_TRUE(toggle->isChecked());
}

TEST_F(FrameTest, ResultsPaneStartsHiddenAndComesBackWithItsRowsAndHeights) {
    CRowSplitter* right = frame->RightSplitter();
    EXPECT_TRUE(frame->IsResultsHidden());
    EXPECT_FALSE(frame->ResultsView()->isVisible());
    EXPECT_EQ(frame->ContentsView()->parentWidget()->height(), right->height());

    doc.m_bResultRow = 1;
    doc.m_strFoundName = "B.DOC";
    doc.m_strFoundLabel = "Backup";
    doc.UpdateAllViews(nullptr, hint::kResultRow);
    frame->ShowResultsPane();
    QApplication::processEvents();
    EXPECT_TRUE(frame->ResultsView()->isVisible());
    EXPECT_EQ(right->sizes().at(0), 260);
    EXPECT_EQ(right->sizes().at(0) + right->sizes().at(1) + right->handleWidth(), right->height());

    right->setSizes({180, right->height() - 180 - right->handleWidth()});
    frame->HideResultsPane();
    frame->HideResultsPane();
    QApplication::processEvents();
    EXPECT_FALSE(frame->ResultsView()->isVisible());
    EXPECT_EQ(frame->ContentsView()->height(), right->height());

    frame->ShowResultsPane();
    frame->ShowResultsPane();
    QApplication::processEvents();
    EXPECT_FALSE(frame->IsResultsHidden());
    EXPECT_EQ(right->sizes().at(0), 180);
    EXPECT_EQ(frame->ResultsView()->Results().Model().rowCount(), 1);
}

TEST_F(FrameTest, F6MovesTheFocusRoundThePanesShown) {
    frame->TreeView()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(frame->ContentsView()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(frame->TreeView()->hasFocus());  // the results pane is hidden

    frame->ShowResultsPane();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(frame->ResultsView()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
    EXPECT_TRUE(frame->TreeView()->hasFocus());
}

TEST_F(FrameTest, ClosingAsksTheCloseGuard) {
    bool allow = false;
    int asked = 0;
    frame->SetCloseGuard([&] {
        ++asked;
        return allow;
    });
    frame->close();
    EXPECT_TRUE(frame->isVisible());
    allow = true;
    frame->close();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(asked, 2);
}

TEST_F(FrameTest, SelectingADriveShowsItsLiveRootInTheContentsList) {
    CKavrelView* tree = frame->TreeView();
    tree->setCurrentItem(tree->topLevelItem(0));
    const DetailListModel& rows = frame->ContentsView()->Contents().Model();
    ASSERT_EQ(rows.rowCount(), 2);
    QStringList names{ToQString(rows.Text(0, 0)), ToQString(rows.Text(1, 0))};
    names.sort();
    EXPECT_EQ(names, (QStringList{"A.TXT", "DOCS"}));
}

TEST_F(FrameTest, FindShowsHitsAndPickingOneSelectsItsDiscAndRow) {
    doc.AppendEntry("Music", "song.mp3", "file ", "\\", "3");
    doc.AppendEntry("Backup", "A.TXT", "file ", "\\", "1,500");
    doc.AppendEntry("Backup", "DOCS", "folder ", "\\", "0");
    doc.AppendEntry("Backup", "B.DOC", "file ", "\\DOCS\\", "20");
    doc.SendInitialUpdate();

    WhenModalOpens<CFindDlg>([](CFindDlg* dlg) {
        dlg->m_editFind->setText(QStringLiteral("b.doc"));
        static_cast<QDialog*>(dlg)->accept();
    });
    QTest::keyClick(frame.get(), Qt::Key_F, Qt::ControlModifier);

    EXPECT_FALSE(frame->IsResultsHidden());
    CThirdView* results = frame->ResultsView();
    ASSERT_EQ(results->Results().Model().rowCount(), 1);

    results->setFocus();
    results->setCurrentIndex(results->model()->index(0, 0));
    QTest::keyClick(results, Qt::Key_Return);

    CKavrelView* tree = frame->TreeView();
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(CKavrelView::NodeText(tree->currentItem()), "Backup");
    EXPECT_EQ(tree->currentItem(), tree->m_hImageRoot->child(1));
    const QModelIndexList rows = frame->ContentsView()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(frame->ContentsView()->Contents().Model().Text(rows[0].row(), 0), "B.DOC");
}

TEST_F(FrameTest, FindWithAnEmptyTextChangesNothing) {
    WhenModalOpens<CFindDlg>([](CFindDlg* dlg) { static_cast<QDialog*>(dlg)->accept(); });
    frame->Action(cmd::kFind)->trigger();
    EXPECT_TRUE(frame->IsResultsHidden());
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
