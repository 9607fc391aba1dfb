// Walking a catalogued disc folder by folder through the real window: the tree, the contents list, the
// results list's "Show in Folder", with the mouse and the keyboard.
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <vector>

#include "FrameTestSupport.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/Hints.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "search/Options.h"
#include "tree/CKavrelView.h"

namespace {

using Texts = std::vector<std::string>;

class BrowseFolders : public FrameTest {
protected:
    struct Row {
        const char* label;
        const char* name;
        const char* kind;
        const char* path;
    };

    // Opens a catalogue of these rows as File > Open would.
    void Open(const std::vector<Row>& rows) {
        doc.OnNewDocument();
        for (const Row& r : rows) doc.AppendEntry(r.label, r.name, r.kind, r.path, "1");
        doc.SetModifiedFlag(false);
        doc.SendInitialUpdate();
        QApplication::processEvents();
    }
    // The last disc's label reads as a drive unless the test goes on cataloguing after "Other".
    void OpenBackup(bool driveLabelLast = true) {
        std::vector<Row> rows{{"Backup", "top.txt", "file ", "\\"},
                              {"Backup", "DOCS", "folder ", "\\"},
                              {"Backup", "b.doc", "file ", "\\DOCS\\"},
                              {"Backup", "SUB", "folder ", "\\DOCS\\"},
                              {"Backup", "c.doc", "file ", "\\DOCS\\SUB\\"},
                              {"Backup", "EMPTY", "folder ", "\\DOCS\\"},
                              {"Other", "x.txt", "file ", "\\"}};
        if (driveLabelLast) rows.push_back({"CD/DVD Driver:Z:\\", "DOCS", "folder ", "\\"});
        Open(rows);
    }

    CKavrelView& Tree() const { return *frame->TreeView(); }
    CSecView& Contents() const { return *frame->ContentsView(); }
    CThirdView& Results() const { return *frame->ResultsView(); }
    QTreeWidgetItem* Disc(int i) const { return Tree().m_hImageRoot->child(i); }

    // The contents list's names, top to bottom.
    Texts Names() const {
        Texts names;
        const DetailListModel& model = Contents().Contents().Model();
        for (int r = 0; r < model.rowCount(); ++r) names.emplace_back(model.Text(r, 0));
        return names;
    }
    // The selected row's name in the contents list, or "" when none is selected.
    std::string Selected() const {
        const QModelIndexList rows = Contents().selectionModel()->selectedRows();
        return rows.size() == 1 ? std::string(Contents().Contents().Model().Text(rows[0].row(), 0)) : "";
    }
    // What the tree's current node is: "label" for a disc node, "label:path" for a folder node.
    std::string Current() const {
        QTreeWidgetItem* node = Tree().currentItem();
        if (!node) return "";
        if (!CKavrelView::IsFolderNode(node)) return CKavrelView::NodeText(node);
        return CKavrelView::NodeText(Tree().DiscNodeOf(node)) + ":" + CKavrelView::FolderPath(node);
    }
    static Texts Children(QTreeWidgetItem* node) {
        Texts names;
        for (int i = 0; i < node->childCount(); ++i) names.push_back(CKavrelView::NodeText(node->child(i)));
        return names;
    }

    void Key(QWidget& widget, int key) {
        widget.setFocus();
        QTest::keyClick(&widget, static_cast<Qt::Key>(key));
        QApplication::processEvents();
    }
    static QRect RowRect(QTreeView& view, const std::string& name) {
        for (int r = 0; r < view.model()->rowCount(); ++r) {
            const QModelIndex index = view.model()->index(r, 0);
            if (index.data().toString().toStdString() == name) return view.visualRect(index);
        }
        ADD_FAILURE() << "no row " << name;
        return {};
    }
    void ClickRow(QTreeView& view, const std::string& name) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, RowRect(view, name).center());
    }
    void DoubleClickRow(QTreeView& view, const std::string& name) {
        const QPoint at = RowRect(view, name).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }
    // Opens the results list's context menu on a hit, by the mouse or by the keyboard, and picks `item`;
    // returns the menu's items.
    QStringList ResultsMenu(const std::string& hit, QContextMenuEvent::Reason reason, const QString& item) {
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions()) {
                seen << action->text();
                if (action->text() == item) menu->setActiveAction(action);
            }
            QTest::keyClick(menu, item.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
        });
        const QPoint at = RowRect(Results(), hit).center();
        if (reason == QContextMenuEvent::Keyboard) ClickRow(Results(), hit);
        QContextMenuEvent event(reason, at, Results().viewport()->mapToGlobal(at));
        QApplication::sendEvent(Results().viewport(), &event);
        QApplication::processEvents();
        return seen;
    }
    void Search(const std::string& text) {
        frame->RunSearch(text, search::Options{});
        QApplication::processEvents();
    }
};

TEST_F(BrowseFolders, DiscNodesExpandIntoTheirFoldersWhenOpenedOnly) {
    OpenBackup();
    EXPECT_EQ(Disc(0)->childCount(), 0) << "folders are read when the node is expanded";
    EXPECT_EQ(Disc(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    Disc(0)->setExpanded(true);
    EXPECT_EQ(Children(Disc(0)), Texts{"DOCS"});
    QTreeWidgetItem* docs = Disc(0)->child(0);
    EXPECT_EQ(CKavrelView::FolderPath(docs), "\\DOCS\\");
    docs->setExpanded(true);
    EXPECT_EQ(Children(docs), (Texts{"SUB", "EMPTY"}));
    EXPECT_EQ(docs->child(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);

    Disc(1)->setExpanded(true);
    EXPECT_EQ(Children(Disc(1)), Texts{});
    EXPECT_EQ(Disc(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    // A label that reads as a drive makes a node that lists that drive: it opens no folders.
    EXPECT_EQ(Disc(2)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    Disc(2)->setExpanded(true);
    EXPECT_EQ(Children(Disc(2)), Texts{});
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrowseFolders, TheKeyboardWalksTheTreeAndTheList) {
    OpenBackup();
    Tree().setCurrentItem(Disc(0));
    const Texts wholeDisc{"top.txt", "DOCS", "b.doc", "SUB", "c.doc", "EMPTY"};
    EXPECT_EQ(Names(), wholeDisc);

    const struct {
        QWidget* pane;
        int key;
        const char* current;
        Texts names;
        const char* selected;
    } steps[] = {
        {&Tree(), Qt::Key_Right, "Backup", wholeDisc, ""},
        {&Tree(), Qt::Key_Down, "Backup:\\DOCS\\", {"..", "b.doc", "SUB", "EMPTY"}, ""},
        {&Tree(), Qt::Key_Right, "Backup:\\DOCS\\", {"..", "b.doc", "SUB", "EMPTY"}, ""},
        {&Tree(), Qt::Key_Right, "Backup:\\DOCS\\SUB\\", {"..", "c.doc"}, ""},
        {&Tree(), Qt::Key_Left, "Backup:\\DOCS\\", {"..", "b.doc", "SUB", "EMPTY"}, ""},
        {&Tree(), Qt::Key_Left, "Backup:\\DOCS\\", {"..", "b.doc", "SUB", "EMPTY"}, ""},
        {&Contents(), Qt::Key_Backspace, "Backup", wholeDisc, "DOCS"},
        {&Contents(), Qt::Key_Backspace, "Backup", wholeDisc, "DOCS"},
    };
    for (const auto& step : steps) {
        Key(*step.pane, step.key);
        EXPECT_EQ(Current(), step.current) << step.key;
        EXPECT_EQ(Names(), step.names) << step.key;
        EXPECT_EQ(Selected(), step.selected) << step.key;
    }
    EXPECT_TRUE(Disc(0)->isExpanded());
    EXPECT_FALSE(Disc(0)->child(0)->isExpanded()) << "Left collapsed DOCS";

    // Enter on a folder row opens its node; Backspace goes back up with the folder left selected.
    Tree().setCurrentItem(Disc(0)->child(0));
    ClickRow(Contents(), "SUB");
    Key(Contents(), Qt::Key_Return);
    EXPECT_EQ(Current(), "Backup:\\DOCS\\SUB\\");
    EXPECT_EQ(Names(), (Texts{"..", "c.doc"}));
    EXPECT_TRUE(Disc(0)->child(0)->isExpanded());
    Key(Contents(), Qt::Key_Backspace);
    EXPECT_EQ(Current(), "Backup:\\DOCS\\");
    EXPECT_EQ(Selected(), "SUB");
    ClickRow(Contents(), "b.doc");
    Key(Contents(), Qt::Key_Return);
    EXPECT_EQ(Current(), "Backup:\\DOCS\\") << "a file opens nothing";
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrowseFolders, DoubleClicksOpenFolderRowsAndTheUpRowGoesUp) {
    OpenBackup();
    Tree().setCurrentItem(Disc(0));
    DoubleClickRow(Contents(), "DOCS");
    EXPECT_EQ(Current(), "Backup") << "the whole disc's rows open nothing";

    Disc(0)->setExpanded(true);
    Tree().setCurrentItem(Disc(0)->child(0));
    DoubleClickRow(Contents(), "SUB");
    EXPECT_EQ(Current(), "Backup:\\DOCS\\SUB\\");
    EXPECT_EQ(Names(), (Texts{"..", "c.doc"}));
    const DetailListModel& model = Contents().Contents().Model();
    EXPECT_EQ(
        (Texts{std::string(model.Text(0, 1)), std::string(model.Text(0, 2)), std::string(model.Text(0, 3))}),
        (Texts{"folder ", "\\DOCS\\SUB\\", "0"}))
        << "the up row is a folder row of the catalogue layout";
    EXPECT_TRUE(model.IsFolderRow(0));
    DoubleClickRow(Contents(), "..");
    EXPECT_EQ(Current(), "Backup:\\DOCS\\");
    EXPECT_EQ(Selected(), "SUB");
    DoubleClickRow(Contents(), "EMPTY");
    EXPECT_EQ(Current(), "Backup:\\DOCS\\EMPTY\\");
    EXPECT_EQ(Names(), Texts{".."});
    DoubleClickRow(Contents(), "..");
    DoubleClickRow(Contents(), "..");
    EXPECT_EQ(Current(), "Backup");
    EXPECT_EQ(Names()[1], "DOCS");
    EXPECT_EQ(Selected(), "DOCS");
}

TEST_F(BrowseFolders, ShowInFolderOpensTheHitsFolderAndSelectsTheHit) {
    OpenBackup();
    Search("c.doc");
    ASSERT_FALSE(frame->IsResultsHidden());
    EXPECT_EQ(ResultsMenu("c.doc", QContextMenuEvent::Mouse, "Show in Folder"),
              QStringList{"Show in Folder"});
    EXPECT_EQ(Current(), "Backup:\\DOCS\\SUB\\");
    EXPECT_TRUE(Disc(0)->isExpanded());
    EXPECT_TRUE(Disc(0)->child(0)->isExpanded());
    EXPECT_EQ(Names(), (Texts{"..", "c.doc"}));
    EXPECT_EQ(Selected(), "c.doc");

    // The keyboard's menu key offers it on the current row; dismissing the menu changes nothing.
    Search("b.doc");
    EXPECT_EQ(ResultsMenu("b.doc", QContextMenuEvent::Keyboard, ""), QStringList{"Show in Folder"});
    EXPECT_EQ(Current(), "Backup:\\DOCS\\SUB\\");
    ResultsMenu("b.doc", QContextMenuEvent::Keyboard, "Show in Folder");
    EXPECT_EQ(Current(), "Backup:\\DOCS\\");
    EXPECT_EQ(Selected(), "b.doc");

    // A hit in the root shows the whole disc, as a double-click on the hit does.
    Search("top.txt");
    ResultsMenu("top.txt", QContextMenuEvent::Mouse, "Show in Folder");
    EXPECT_EQ(Current(), "Backup");
    EXPECT_EQ(Selected(), "top.txt");
    EXPECT_EQ(Names().size(), 6u);

    // A double-click on a hit still shows its disc, flat.
    Search("c.doc");
    DoubleClickRow(Results(), "c.doc");
    EXPECT_EQ(Current(), "Backup");
    EXPECT_EQ(Names().size(), 6u);
    EXPECT_EQ(Selected(), "c.doc");
    EXPECT_FALSE(doc.IsModified());
}

// A label apart from itself gives two disc nodes, and each browses its own disc: "Show in Folder" on a hit
// of the second opens the second's folder.
TEST_F(BrowseFolders, TwoNodesOfOneLabelEachBrowseTheirOwnDisc) {
    Open({{"A", "DOCS", "folder ", "\\"},
          {"A", "a.txt", "file ", "\\DOCS\\"},
          {"B", "b.txt", "file ", "\\"},
          {"A", "LATER", "folder ", "\\"},
          {"A", "late.txt", "file ", "\\LATER\\"}});
    ASSERT_EQ(Tree().m_hImageRoot->childCount(), 3);
    Disc(0)->setExpanded(true);
    Disc(2)->setExpanded(true);
    EXPECT_EQ(Children(Disc(0)), Texts{"DOCS"});
    EXPECT_EQ(Children(Disc(2)), Texts{"LATER"});
    Tree().setCurrentItem(Disc(2));
    EXPECT_EQ(Names(), (Texts{"LATER", "late.txt"}));

    Search("late.txt");
    ResultsMenu("late.txt", QContextMenuEvent::Mouse, "Show in Folder");
    EXPECT_EQ(Tree().currentItem(), Disc(2)->child(0));
    EXPECT_EQ(Names(), (Texts{"..", "late.txt"}));
    EXPECT_EQ(Selected(), "late.txt");
}

TEST_F(BrowseFolders, FolderNodesAreNeitherDeletedNorRenamed) {
    OpenBackup();
    Disc(0)->setExpanded(true);
    QTreeWidgetItem* docs = Disc(0)->child(0);
    const QPoint at = Tree().visualItemRect(docs).center();
    QTimer::singleShot(0, [] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            menu->close();
            ADD_FAILURE() << "a folder node offers no menu";
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, Tree().viewport()->mapToGlobal(at));
    QApplication::sendEvent(Tree().viewport(), &event);
    QApplication::processEvents();
    EXPECT_EQ(Current(), "Backup:\\DOCS\\") << "the right-click selected it";

    Tree().setFocus();
    QApplication::processEvents();
    frame->Action(cmd::kDeleteItem)->trigger();
    frame->Action(cmd::kItemRename)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(messages.shown.empty()) << "no question for a node that cannot be deleted";
    EXPECT_EQ(Tree().viewport()->findChild<QLineEdit*>(), nullptr);
    EXPECT_EQ(doc.GetEntryCount(), 8u);
    EXPECT_EQ(doc.Entries().Label(2), "Backup");
    EXPECT_EQ(Current(), "Backup:\\DOCS\\");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(BrowseFolders, ANodeExpandedAgainShowsTheFoldersAsTheCatalogueNowHasThem) {
    OpenBackup(false);
    Disc(1)->setExpanded(true);
    EXPECT_EQ(Children(Disc(1)), Texts{});
    // A disc catalogued under the last disc's label lengthens that disc's run.
    doc.AppendEntry("Other", "NEW", "folder ", "\\", "0");
    doc.m_strLastLabel = "Other";
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
    Disc(1)->setExpanded(false);
    Disc(1)->setExpanded(true);
    EXPECT_EQ(Children(Disc(1)), Texts{"NEW"});

    // Renamed, a disc's folder nodes list its entries under the new label.
    Disc(0)->setExpanded(true);
    Tree().setCurrentItem(Disc(0));
    catalogue::RelabelDisc(doc, catalogue::FirstDisc(doc.Entries(), "Backup"), "Kept");
    CKavrelView::SetNodeText(Disc(0), "Kept");
    Tree().setCurrentItem(Disc(0)->child(0));
    EXPECT_EQ(Current(), "Kept:\\DOCS\\");
    EXPECT_EQ(Names(), (Texts{"..", "b.doc", "SUB", "EMPTY"}));
}

}  // namespace
