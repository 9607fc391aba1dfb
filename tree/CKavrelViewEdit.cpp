// Editing discs from the tree: the context menu, Delete and Rename, and the Edit menu's state.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMetaProperty>
#include <QTreeWidgetItemIterator>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/Hints.h"
#include "catalogue/NodeTexts.h"
#include "docview/Messages.h"
#include "res/Texts.h"
#include "tree/CDiscPropertiesDlg.h"
#include "tree/CKavrelView.h"
#include "tree/DiscProperties.h"

namespace {

// A label edit keeps the old text of the catalogue root and of a drive node that ends in a drive root.
bool KeepsItsText(std::string_view text) {
    return catalogue::IsCatalogueRoot(text) || (catalogue::IsDriveNode(text) && text.ends_with(":\\"));
}

}  // namespace

void CKavrelView::SetMessages(IMessages* messages) {
    m_pMessages = messages;
}

void CKavrelView::TrackEditActions(QAction* deleteItem, QAction* renameItem) {
    // The tree stays the active pane until the focus lands elsewhere in its own window: a message box or
    // another window taking the focus for a while does not change which pane is active.
    const auto follow = [this, deleteItem, renameItem](QWidget*, QWidget* now) {
        if (!now || now->window() != window()) return;
        const bool active = now == this || isAncestorOf(now);
        deleteItem->setEnabled(active);
        renameItem->setEnabled(active);
    };
    connect(qApp, &QApplication::focusChanged, this, follow);
}

bool CKavrelView::HoldsNode(const QTreeWidgetItem* node) const {
    // Compares handles only: a stale handle is never dereferenced.
    if (!node) return false;
    for (QTreeWidgetItemIterator it(const_cast<CKavrelView*>(this)); *it; ++it) {
        if (*it == node) return true;
    }
    return false;
}

QMenu* CKavrelView::ItemMenu() {
    if (!m_pItemMenu) {
        m_pItemMenu = new QMenu(QStringLiteral(" "), this);
        m_pItemMenu->addAction(QStringLiteral("Delte Item"), this, &CKavrelView::OnDeleteItem);
        m_pItemMenu->addAction(QStringLiteral("Item Rename"), this, &CKavrelView::OnRenameItem);
        if (m_pPropertiesAction || m_pUpdateAction) m_pItemMenu->addSeparator();
        if (m_pUpdateAction) m_pItemMenu->addAction(m_pUpdateAction);
        if (m_pVerifyAction) m_pItemMenu->addAction(m_pVerifyAction);
        if (m_pPropertiesAction) m_pItemMenu->addAction(m_pPropertiesAction);
    }
    return m_pItemMenu;
}

void CKavrelView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        QTreeWidgetItem* node = currentItem();
        if (!node) return;
        const QPoint at = visualItemRect(node).center();
        OnRClick(at, viewport()->mapToGlobal(at));
        return;
    }
    OnRClick(event->pos(), event->globalPos());
}

void CKavrelView::OnRClick(const QPoint& pos, const QPoint& globalPos) {
    QTreeWidgetItem* node = itemAt(pos);
    if (!node || (!IsFolderNode(node) && catalogue::IsCatalogueRoot(NodeText(node)))) return;
    // Selecting it first shows the node in the contents list, as a left click would.
    setCurrentItem(node);
    m_hCurItem = currentItem();
    // A folder is neither deleted nor renamed on its own: the disc is the unit of editing.
    if (IsFolderNode(node)) return;
    QMenu* menu = ItemMenu();
    menu->exec(QPoint(globalPos.x() + 55 - menu->sizeHint().width() / 2, globalPos.y()));
}

void CKavrelView::OnDeleteItem() {
    if (!HoldsNode(m_hCurItem) || IsFolderNode(m_hCurItem) || !m_pMessages) return;
    const msg::Answer answer = m_pMessages->Show(
        {"Do you want to delete this item?", "warning", msg::Buttons::YesNo, msg::Icon::Exclamation});
    // The question is modal: the node may have gone while it was open.
    if (answer == msg::Answer::No || !HoldsNode(m_hCurItem)) return;

    const std::string text = NodeText(m_hCurItem);
    if (catalogue::IsCatalogueRoot(text) || catalogue::IsDriveNode(text)) return;
    catalogue::DeleteDisc(*m_pDoc, DiscOfNode(m_hCurItem));
    m_pDoc->UpdateAllViews(nullptr, hint::kLiveListing);
    // Without a current node the view has no neighbour to move the selection to, so no other disc
    // replaces the emptied contents list.
    selectionModel()->clear();
    QTreeWidgetItem* node = m_hCurItem;
    m_hCurItem = nullptr;
    delete node;
    // The discs on either side may carry one label: with nothing between them they are one disc now.
    SyncDiscNodes();
}

void CKavrelView::OnRenameItem() {
    if (!HoldsNode(m_hCurItem) || IsFolderNode(m_hCurItem)) return;
    m_editedNode = indexFromItem(m_hCurItem);
    editItem(m_hCurItem, 0);
}

void CKavrelView::commitData(QWidget* editor) {
    // The typed text is not written into the model: OnEndLabelEdit decides what the node shows. Only an
    // edit started by Rename counts, once: the editor may report again as it loses the focus on closing.
    QTreeWidgetItem* node = m_editedNode.isValid() ? itemFromIndex(m_editedNode) : nullptr;
    m_editedNode = QPersistentModelIndex();
    const QMetaProperty property = editor->metaObject()->userProperty();
    if (node && property.isValid()) OnEndLabelEdit(node, property.read(editor).toString());
}

void CKavrelView::OnEndLabelEdit(QTreeWidgetItem* node, const QString& typed) {
    const std::string old = NodeText(node);
    std::string chosen = old;
    if (!KeepsItsText(old)) {
        // An empty label would turn the disc's entries into deleted ones behind the user's back.
        if (typed.isEmpty()) return;
        // Text typed back as it was shown keeps its bytes, even when they are not UTF-8.
        if (typed != ToQString(old)) chosen = FromQString(typed);
    }
    // The node's disc is found by its old label, before the node shows the new one.
    const catalogue::Disc disc = KeepsItsText(old) ? catalogue::Disc{} : DiscOfNode(node);
    SetNodeText(node, chosen);
    RelabelEntries(disc, chosen);
    // Given the label of a neighbour, the disc has joined it.
    SyncDiscNodes();
}

bool CKavrelView::IsDiscNode(const QTreeWidgetItem* node) const {
    if (!node || !m_hImageRoot || node->parent() != m_hImageRoot) return false;
    const std::size_t row = DiscRow(node);
    // A node whose walk added nothing keeps a row past every entry: it stands for none.
    return row < m_pDoc->GetEntryCount();
}

void CKavrelView::TrackDiscActions(QAction* properties, QAction* update, QAction* verify) {
    m_pPropertiesAction = properties;
    m_pUpdateAction = update;
    m_pVerifyAction = verify;
    connect(this, &QTreeWidget::currentItemChanged, this, &CKavrelView::UpdatePropertiesAction);
    UpdatePropertiesAction();
}

void CKavrelView::UpdatePropertiesAction() {
    const bool disc = IsDiscNode(currentItem());
    if (m_pPropertiesAction) m_pPropertiesAction->setEnabled(disc);
    if (m_pUpdateAction) m_pUpdateAction->setEnabled(disc);
    if (m_pVerifyAction) m_pVerifyAction->setEnabled(disc);
}

bool CKavrelView::OnDiscProperties() {
    QTreeWidgetItem* node = currentItem();
    if (!IsDiscNode(node)) return false;
    const catalogue::Disc disc = DiscOfNode(node);
    if (disc.entries == 0) return false;
    CDiscPropertiesDlg dlg(discprops::DetailsOf(*m_pDoc, disc), this);
    if (dlg.exec() != QDialog::Accepted) return false;
    return discprops::StoreUserTexts(*m_pDoc, disc, dlg.Location(), dlg.Notes());
}

void CKavrelView::RelabelEntries(const catalogue::Disc& disc, std::string newLabel) {
    catalogue::RelabelDisc(*m_pDoc, disc, newLabel);
}
