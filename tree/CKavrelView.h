#pragma once

#include <QIcon>
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <array>
#include <string>
#include <string_view>

#include "catalogue/Disc.h"
#include "docview/CView.h"

class CKavrelDoc;
class IMessages;
class QAction;
class QMenu;

// The catalogue tree: one node per optical drive, then "CD Image files" with one node per catalogued disc,
// whose folders open below it, built when a node is expanded. A drive, disc or root node means what its
// text says; a folder node is marked as one and carries its path. Selecting a node tells the other views
// through the document.
class CKavrelView : public QTreeWidget, public CView {
    Q_OBJECT
public:
    // A view of `doc`.
    explicit CKavrelView(CKavrelDoc* doc, QWidget* parent = nullptr);

    // The catalogue this tree shows.
    CKavrelDoc* GetDocument() const { return m_pDoc; }

    // Rebuilds the whole tree from the drives and the catalogue (start-up, New, Open); selects nothing.
    void OnInitialUpdate() override;
    // hint::kPickDisc selects the picked disc, hint::kPickFolder the picked folder, hint::kDiscAdded appends
    // the catalogued disc; every other hint is ignored.
    void OnUpdate(CView* sender, int hint) override;

    // Fills m_strDriveRoots with the optical drives present now (the first ten).
    void ScanCdDrives();
    // Appends one node per disc run of the catalogue under the catalogue root.
    void AddDiscNodes();
    // Appends one disc node under the catalogue root, whatever the other nodes are called.
    void AddDiscNode(std::string label);
    // Selects the disc node of m_strPickLabel and m_nPickDisc (the first carrying the label for
    // catalogue::kAnyDisc) and sends hint::kShowPickedDisc; nothing when there is none.
    void SelectPickedDisc();
    // Opens the node of folder m_strPickPath of the disc node SelectPickedDisc finds, expanding the
    // nodes above it, selects it and sends hint::kShowPickedFolder; for the disc's root, or a folder the disc
    // does not have, it does what SelectPickedDisc does.
    void SelectPickedFolder();
    // Acts on the node the selection moved to: lists a drive, sends hint::kShowFolder for a folder node, or
    // hint::kShowDisc with the node text.
    void OnSelChanged();
    // Broadcasts the live listing of a drive's root to the views.
    void ListDriveRoot(const std::string& root);

    // What a disc node's tooltip says: its files, folders and the bytes of its files, counted when asked, so
    // that big catalogues cost nothing until a person hovers, and where the disc is kept when the user said.
    // Empty for any other node.
    QString DiscToolTip(QTreeWidgetItem* item) const;

    // The node's text as the catalogue's bytes.
    static std::string NodeText(const QTreeWidgetItem* item);
    // Sets a node's text; the bytes are kept exactly, the shown text is their display form.
    static void SetNodeText(QTreeWidgetItem* item, std::string_view text);
    // True for a folder node (below a disc node); its text is the folder's name.
    static bool IsFolderNode(const QTreeWidgetItem* item);
    // A folder node's path on its disc ("\DOCS\SUB"); empty for any other node.
    static std::string FolderPath(const QTreeWidgetItem* item);
    // The disc node a disc or folder node belongs to; null for the other nodes.
    QTreeWidgetItem* DiscNodeOf(QTreeWidgetItem* item) const;
    // A row of the disc a disc node stands for (its first), as hints carry it; catalogue::kAnyDisc for
    // any other node.
    static std::size_t DiscRow(const QTreeWidgetItem* disc);
    // The entries a disc node stands for; none for a node that stands for none.
    catalogue::Disc DiscOfNode(const QTreeWidgetItem* disc) const;
    // After an edit: removes the disc nodes whose disc is gone or has joined the disc before it, so that
    // the nodes are the catalogue's discs again without a rebuild.
    void SyncDiscNodes();

    // Editing (Delete, Rename) lives in CKavrelViewEdit.cpp.
    // Where the delete confirmation is asked; without it Delete does nothing.
    void SetMessages(IMessages* messages);
    // Enables the Edit menu's Delete and Rename only while the tree is the active pane (the frame binds
    // them to OnDeleteItem and OnRenameItem).
    void TrackEditActions(QAction* deleteItem, QAction* renameItem);
    // Right-click at `pos` (viewport): selects the node there and, unless it is a folder node, offers
    // "Delte Item" / "Item Rename".
    void OnRClick(const QPoint& pos, const QPoint& globalPos);
    // Asks, then blanks every entry of m_hCurItem's disc and removes the node (never the root, a drive or a
    // folder).
    void OnDeleteItem();
    // Starts editing m_hCurItem's text in place, unless it is a folder node; OnEndLabelEdit runs when the
    // edit is committed.
    void OnRenameItem();
    // Ends an in-place edit of `node` with the typed text: relabels its disc or restores a protected text.
    void OnEndLabelEdit(QTreeWidgetItem* node, const QString& typed);
    // Gives every entry of `disc` the label `newLabel` and marks the document modified.
    void RelabelEntries(const catalogue::Disc& disc, std::string newLabel);
    // True while `node` is one of the tree's nodes (a stale handle is never dereferenced).
    bool HoldsNode(const QTreeWidgetItem* node) const;

    // "Disc Properties...", "Update Disc..." and "Verify Disc..." (the frame's actions, also offered by the
    // context menu): enabled while the current node is a disc node with entries.
    void TrackDiscActions(QAction* properties, QAction* update, QAction* verify);
    // Shows the current disc node's details and keeps the location and notes typed; true when they changed
    // (the catalogue is then modified).
    bool OnDiscProperties();
    // True for a disc node that stands for entries of the catalogue.
    bool IsDiscNode(const QTreeWidgetItem* node) const;

protected:
    bool viewportEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void commitData(QWidget* editor) override;

private:
    QMenu* ItemMenu();

    IMessages* m_pMessages = nullptr;
    QMenu* m_pItemMenu = nullptr;        // the right-click menu, built on first use
    QPersistentModelIndex m_editedNode;  // the node Rename is editing
    QAction* m_pPropertiesAction = nullptr;
    QAction* m_pUpdateAction = nullptr;
    QAction* m_pVerifyAction = nullptr;
    void UpdatePropertiesAction();

public:
    QTreeWidgetItem* m_hCurItem = nullptr;    // the node Delete and Rename act on; null before any selection
    QTreeWidgetItem* m_hImageRoot = nullptr;  // "CD Image files", parent of every disc node
    std::array<std::string, 10> m_strDriveRoots;
    int m_nDriveRootCount = 0;

private:
    enum class NodeKind { Drive, CatalogueRoot, Disc };
    QTreeWidgetItem* MakeNode(std::string_view text, NodeKind kind) const;
    // The disc node carrying `label` that stands for the disc holding `row`, else the first carrying
    // `label` (any, for catalogue::kAnyDisc); null when none carries it.
    QTreeWidgetItem* FindDiscNode(std::string_view label, std::size_t row) const;
    // Gives a disc or folder node the folder nodes of its folder's subfolders, unless it has them already.
    void PopulateFolders(QTreeWidgetItem* node);

    CKavrelDoc* m_pDoc;
    bool m_bRebuilding = false;   // clearing the tree is not a selection
    bool m_bPicking = false;      // SelectPickedDisc sends kShowPickedDisc itself, not kShowDisc
    std::size_t m_nRowsSeen = 0;  // entries the tree has nodes for: a new disc's rows come after them
    QIcon m_iconDrive;
    QIcon m_iconRoot;
    QIcon m_iconDisc;
    QIcon m_iconFolder;
};
