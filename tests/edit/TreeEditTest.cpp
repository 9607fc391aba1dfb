#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "DriveEnv.h"
#include "EditTestSupport.h"
#include "RecordingView.h"
#include "RightClick.h"
#include "ScriptedMessages.h"
#include "catalogue/Disc.h"
#include "catalogue/Hints.h"
#include "tree/CKavrelView.h"

using edit_test::Fill;
using edit_test::Labels;

namespace {

const std::string kDrive = "CD/DVD Driver:E:\\";

class TreeEdit : public ::testing::Test {
protected:
    TreeEdit() { m_messages.whenEmpty = msg::Answer::No; }

    DriveEnv m_drives{"E=" TAMBEROL_SAMPLES "/disc"};

    // Builds the tree over `doc` as an initial update does, then starts recording hints.
    void Build(CKavrelDoc& doc) {
        m_tree = std::make_unique<CKavrelView>(&doc, nullptr);
        m_tree->SetMessages(&m_messages);
        m_recorder.SetDocument(&doc);
        m_tree->OnInitialUpdate();
        m_tree->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_tree.get()));
    }

    std::vector<std::string> Texts(QTreeWidgetItem* parent) const {
        std::vector<std::string> texts;
        for (int i = 0; i < parent->childCount(); ++i)
            texts.push_back(CKavrelView::NodeText(parent->child(i)));
        return texts;
    }
    std::vector<std::string> Discs() const { return Texts(m_tree->m_hImageRoot); }
    std::vector<std::string> TopLevel() const { return Texts(m_tree->invisibleRootItem()); }
    QTreeWidgetItem* Disc(int i) const { return m_tree->m_hImageRoot->child(i); }
    QTreeWidgetItem* DriveNode() const { return m_tree->topLevelItem(0); }

    // Selects a node as a click would, then forgets the hints that the selection sent.
    void Select(QTreeWidgetItem* node) {
        m_tree->setCurrentItem(node);
        m_recorder.heard.clear();
    }

    // Renames m_hCurItem in place: types `text` into the editor and ends with `key`.
    void Rename(const QString& text, Qt::Key key = Qt::Key_Return) {
        m_tree->OnRenameItem();
        auto* editor = m_tree->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, key);
        // The editor commits and closes through queued calls, and is deleted later still.
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    ScriptedMessages m_messages;
    RecordingView m_recorder;
    std::unique_ptr<CKavrelView> m_tree;
};

}  // namespace

TEST_F(TreeEdit, DeleteAsksInTheWarningBox) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}});
    Build(doc);
    Select(Disc(0));
    m_messages.answers = {msg::Answer::Yes};
    m_tree->OnDeleteItem();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const msg::Request& asked = m_messages.shown[0];
    EXPECT_EQ(asked.text, "Do you want to delete this item?");
    EXPECT_EQ(asked.caption, "warning");
    EXPECT_EQ(asked.buttons, msg::Buttons::YesNo);
    EXPECT_EQ(asked.icon, msg::Icon::Exclamation);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(m_recorder.Hints(), std::vector<int>{hint::kLiveListing}) << "the contents list is left empty";
}

// Delete and Rename act on the node's own disc, never on another disc with its label, and leave the tree
// showing what a fresh build of the catalogue would show.
TEST_F(TreeEdit, EditsActOnTheNodesDiscAndTheTreeFollowsWithoutARebuild) {
    using Nodes = std::vector<std::string>;
    const struct {
        const char* what;
        std::initializer_list<edit_test::Entry> entries;
        int node;
        const char* renameTo;  // null: delete
        const char* labels;
        Nodes discs;
    } cases[] = {
        {"A A B A: the first A",
         {{"A", "a1"}, {"A", "a2"}, {"B", "b"}, {"A", "a3"}},
         0,
         nullptr,
         ",,B,A",
         {"B", "A"}},
        {"A B A: the last A", {{"A", "a1"}, {"B", "b"}, {"A", "a2"}}, 2, nullptr, "A,B,", {"A", "B"}},
        {"A B A: B goes, the two A are one disc",
         {{"A", "a1"}, {"B", "b"}, {"A", "a2"}},
         1,
         nullptr,
         "A,,A",
         {"A"}},
        {"A B A: renaming the last A",
         {{"A", "a1"}, {"B", "b"}, {"A", "a2"}},
         2,
         "X",
         "A,B,X",
         {"A", "B", "X"}},
        {"A B C: B takes C's label and joins it",
         {{"A", "a"}, {"B", "b"}, {"C", "c"}},
         1,
         "C",
         "A,C,C",
         {"A", "C"}},
    };
    for (const auto& c : cases) {
        CKavrelDoc doc;
        doc.OnNewDocument();
        for (const edit_test::Entry& e : c.entries) doc.AppendEntry(e.label, e.name, "file ", "\\", "1");
        Build(doc);
        Select(Disc(c.node));
        if (c.renameTo) {
            Rename(QString::fromUtf8(c.renameTo));
        } else {
            m_messages.answers = {msg::Answer::Yes};
            m_tree->OnDeleteItem();
        }
        EXPECT_EQ(Labels(doc), c.labels) << c.what;
        EXPECT_EQ(Discs(), c.discs) << c.what;
        const std::vector<catalogue::Disc> built = catalogue::DiscNodes(doc.Entries());
        ASSERT_EQ(built.size(), c.discs.size()) << c.what;
        for (std::size_t i = 0; i < built.size(); ++i)
            EXPECT_EQ(CKavrelView::DiscRow(Disc(static_cast<int>(i))), built[i].first) << c.what;
    }
}

TEST_F(TreeEdit, AnsweringNoChangesNothing) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}});
    Build(doc);
    Select(Disc(1));
    m_tree->OnDeleteItem();
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(Labels(doc), "A,B");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Discs(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(m_recorder.Hints().empty());
}

TEST_F(TreeEdit, DeleteAsksButKeepsTheRootDriveNodesAndLabelsTakenForDrives) {
    CKavrelDoc doc;
    Fill(doc, {{"CD/DVD Driver:odd", "x"}, {"CD Image files", "y"}});
    Build(doc);
    const std::vector<std::string> before = TopLevel();
    for (QTreeWidgetItem* node : {DriveNode(), m_tree->m_hImageRoot, Disc(0), Disc(1)}) {
        // Read first: should the guard fail, the node is gone after the delete and must not be read.
        const std::string text = CKavrelView::NodeText(node);
        Select(node);
        m_messages.answers = {msg::Answer::Yes};
        m_tree->OnDeleteItem();
        EXPECT_TRUE(m_recorder.Hints().empty()) << text;
        ASSERT_TRUE(m_tree->HoldsNode(node)) << "the node \"" << text << "\" was deleted";
    }
    EXPECT_EQ(m_messages.shown.size(), 4u);
    EXPECT_EQ(TopLevel(), before);
    EXPECT_EQ(Discs().size(), 2u);
    EXPECT_EQ(Labels(doc), "CD/DVD Driver:odd,CD Image files");
}

TEST_F(TreeEdit, DeleteAndRenameDoNothingWithoutANodeOrAfterItsDeletion) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}});
    Build(doc);
    m_tree->OnDeleteItem();
    m_tree->OnRenameItem();
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(m_tree->viewport()->findChild<QLineEdit*>(), nullptr) << "no edit started";

    Select(Disc(0));
    m_messages.answers = {msg::Answer::Yes, msg::Answer::Yes};
    m_tree->OnDeleteItem();
    m_tree->OnDeleteItem();
    m_tree->OnRenameItem();
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_tree->viewport()->findChild<QLineEdit*>(), nullptr) << "no edit started";
    EXPECT_EQ(Labels(doc), ",B");
}

TEST_F(TreeEdit, RenameRestoresTheRootAndDriveNodesButMarksModified) {
    CKavrelDoc doc;
    Fill(doc, {{"CD/DVD Driver:notes", "a1"}});
    Build(doc);
    for (QTreeWidgetItem* node : {DriveNode(), m_tree->m_hImageRoot}) {
        const std::string text = CKavrelView::NodeText(node);
        doc.SetModifiedFlag(false);
        Select(node);
        Rename("Renamed");
        EXPECT_EQ(CKavrelView::NodeText(node), text);
        EXPECT_EQ(node->text(0).toStdString(), text);
        EXPECT_TRUE(doc.IsModified()) << text;
    }

    // A label taken for a drive node is renamed like any disc until it also ends in a drive root.
    Select(Disc(0));
    Rename("CD/DVD Driver:Z:\\");
    EXPECT_EQ(Labels(doc), "CD/DVD Driver:Z:\\");
    Select(Disc(0));
    Rename("Other");
    EXPECT_EQ(Labels(doc), "CD/DVD Driver:Z:\\");
    EXPECT_EQ(Discs(), std::vector<std::string>{"CD/DVD Driver:Z:\\"});
}

TEST_F(TreeEdit, EscapeAndAnEmptyTextChangeNothing) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}});
    Build(doc);
    Select(Disc(0));
    Rename("Typed", Qt::Key_Escape);
    Select(Disc(0));
    Rename("");
    EXPECT_EQ(Labels(doc), "A");
    EXPECT_EQ(Discs(), std::vector<std::string>{"A"});
    EXPECT_EQ(Disc(0)->text(0), "A");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(TreeEdit, RenameKeepsTheBytesOfALabelTypedBackUnchanged) {
    CKavrelDoc doc;
    Fill(doc, {{"\xe9t\xe9", "a1"}});  // Windows-1252, shown as "été"
    Build(doc);
    Select(Disc(0));
    Rename(QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
    EXPECT_EQ(Labels(doc), "\xe9t\xe9");
    Select(Disc(0));
    Rename(QString::fromUtf8("\xc3\xa9t\xc3\xa9 2"));
    EXPECT_EQ(Labels(doc), "\xc3\xa9t\xc3\xa9 2") << "typed text is stored as UTF-8";
}

TEST_F(TreeEdit, ContextMenuSelectsTheNodeAndOffersDeleteAndRename) {
    CKavrelDoc doc;
    Fill(doc, {{"A", "a1"}, {"B", "b1"}});
    Build(doc);
    EXPECT_TRUE(RightClick(*m_tree, m_tree->m_hImageRoot, "Delte Item").isEmpty());
    EXPECT_TRUE(RightClick(*m_tree, nullptr, "Delte Item").isEmpty());
    EXPECT_TRUE(m_messages.shown.empty());

    m_messages.answers = {msg::Answer::Yes};
    const QStringList items = RightClick(*m_tree, Disc(1), "Delte Item");
    EXPECT_EQ(items, (QStringList{"Delte Item", "Item Rename"}));
    EXPECT_EQ(m_recorder.Hints(), (std::vector<int>{hint::kShowDisc, hint::kLiveListing}))
        << "the node is shown, then deleted";
    EXPECT_EQ(Labels(doc), "A,");
    EXPECT_EQ(Discs(), std::vector<std::string>{"A"});
}
