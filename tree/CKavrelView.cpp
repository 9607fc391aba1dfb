#include "tree/CKavrelView.h"

#include <QByteArray>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>
#include <memory>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscTotals.h"
#include "catalogue/FolderIndex.h"
#include "catalogue/FormatSize.h"
#include "catalogue/Hints.h"
#include "catalogue/NodeTexts.h"
#include "platform/Drives.h"
#include "res/Texts.h"
#include "scan/LiveListing.h"

namespace {

// Where a folder node keeps its path; only folder nodes carry it, so it is what marks them.
constexpr int kFolderPathRole = Qt::UserRole + 1;
// Where a disc node keeps the first row of its disc: two discs may share a label, never a row.
constexpr int kDiscRowRole = Qt::UserRole + 2;
// The row of a disc node whose walk added no entries: it names no rows at all.
constexpr std::size_t kNoRows = catalogue::kAnyDisc - 1;

using catalogue::FolderIndex;

// A disc node opens into folders unless its text makes it a drive node or the catalogue root.
bool IsBrowsableDisc(std::string_view text) {
    return !catalogue::IsDriveNode(text) && !catalogue::IsCatalogueRoot(text);
}

// True when `item` lies somewhere below `ancestor`.
bool IsBelow(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor) {
    for (const QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor) return true;
    }
    return false;
}

QByteArray Bytes(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CKavrelView::CKavrelView(CKavrelDoc* doc, QWidget* parent) : QTreeWidget(parent), m_pDoc(doc) {
    SetDocument(doc);
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Renaming starts from the Rename command only, so a stray double-click never edits a label.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_iconDrive =
        QIcon::fromTheme(QStringLiteral("drive-optical"), style()->standardIcon(QStyle::SP_DriveDVDIcon));
    m_iconRoot = QIcon::fromTheme(QStringLiteral("folder"), style()->standardIcon(QStyle::SP_DirIcon));
    m_iconDisc =
        QIcon::fromTheme(QStringLiteral("media-optical"), style()->standardIcon(QStyle::SP_DriveCDIcon));
    m_iconFolder = QIcon::fromTheme(QStringLiteral("folder"), style()->standardIcon(QStyle::SP_DirIcon));
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CKavrelView::OnSelChanged);
    connect(this, &QTreeWidget::itemExpanded, this, &CKavrelView::PopulateFolders);
}

std::string CKavrelView::NodeText(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, Qt::UserRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CKavrelView::SetNodeText(QTreeWidgetItem* item, std::string_view text) {
    item->setData(0, Qt::UserRole, Bytes(text));
    item->setText(0, ToQString(text));
}

bool CKavrelView::IsFolderNode(const QTreeWidgetItem* item) {
    return item && item->data(0, kFolderPathRole).isValid();
}

std::string CKavrelView::FolderPath(const QTreeWidgetItem* item) {
    if (!IsFolderNode(item)) return {};
    return item->data(0, kFolderPathRole).toByteArray().toStdString();
}

QTreeWidgetItem* CKavrelView::DiscNodeOf(QTreeWidgetItem* item) const {
    while (item && item->parent() != m_hImageRoot) item = item->parent();
    return item && m_hImageRoot ? item : nullptr;
}

QTreeWidgetItem* CKavrelView::MakeNode(std::string_view text, NodeKind kind) const {
    auto* item = new QTreeWidgetItem;
    SetNodeText(item, text);
    switch (kind) {
        case NodeKind::Drive:
            item->setIcon(0, m_iconDrive);
            break;
        case NodeKind::CatalogueRoot:
            item->setIcon(0, m_iconRoot);
            break;
        case NodeKind::Disc:
            item->setIcon(0, m_iconDisc);
            // Its folders are read when it is first expanded; until then it offers to expand.
            if (IsBrowsableDisc(text)) item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            break;
    }
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

void CKavrelView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    ScanCdDrives();

    m_bRebuilding = true;
    // The old nodes go with clear(); a handle to one of them must not outlive it.
    m_hCurItem = nullptr;
    clear();
    QList<QTreeWidgetItem*> top;
    for (int i = 0; i < m_nDriveRootCount; ++i)
        top.append(MakeNode(catalogue::DriveNodeText(m_strDriveRoots[static_cast<std::size_t>(i)]),
                            NodeKind::Drive));
    m_hImageRoot = MakeNode(catalogue::kImageRootText, NodeKind::CatalogueRoot);
    m_nRowsSeen = m_pDoc->GetEntryCount();
    top.append(m_hImageRoot);
    addTopLevelItems(top);
    m_bRebuilding = false;

    if (m_pDoc->GetEntryCount() > 0) AddDiscNodes();
}

void CKavrelView::OnUpdate(CView*, int hintNumber) {
    if (hintNumber == hint::kPickDisc)
        SelectPickedDisc();
    else if (hintNumber == hint::kPickFolder)
        SelectPickedFolder();
    else if (hintNumber == hint::kDiscAdded)
        AddDiscNode(m_pDoc->m_strLastLabel);
}

void CKavrelView::ScanCdDrives() {
    // Unlike the document's table, the tree's keeps no root of an earlier scan.
    m_strDriveRoots.fill({});
    m_nDriveRootCount = static_cast<int>(platform::FillDriveSlots(m_strDriveRoots));
}

void CKavrelView::AddDiscNodes() {
    if (!m_hImageRoot) return;
    const EntryStore& entries = m_pDoc->Entries();
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(entries);
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(discs.size()));
    for (const catalogue::Disc& disc : discs) {
        QTreeWidgetItem* node = MakeNode(entries.Text(disc.label), NodeKind::Disc);
        node->setData(0, kDiscRowRole, QVariant::fromValue<qulonglong>(disc.first));
        nodes.append(node);
    }
    // One insertion for all discs: inserting node by node re-lays out the view each time.
    m_hImageRoot->addChildren(nodes);
    m_hImageRoot->setExpanded(true);
}

void CKavrelView::AddDiscNode(std::string label) {
    // A disc catalogued before the first build shows up with the build itself.
    if (!m_hImageRoot) return;
    // The disc's entries are the rows appended since the tree last looked.
    const EntryStore& entries = m_pDoc->Entries();
    const std::size_t first = m_nRowsSeen;
    m_nRowsSeen = entries.Size();
    std::size_t row = kNoRows;
    if (first < entries.Size()) {
        const catalogue::Disc disc = catalogue::DiscAt(entries, first);
        // Catalogued under the label of the disc before it, the two are one disc now: one node.
        if (disc.first < first && FindDiscNode(entries.Text(disc.label), disc.first)) return;
        row = disc.first;
    }
    QTreeWidgetItem* node = MakeNode(label, NodeKind::Disc);
    node->setData(0, kDiscRowRole, QVariant::fromValue<qulonglong>(row));
    m_hImageRoot->addChild(node);
    m_hImageRoot->setExpanded(true);
}

std::size_t CKavrelView::DiscRow(const QTreeWidgetItem* disc) {
    const QVariant row = disc ? disc->data(0, kDiscRowRole) : QVariant();
    return row.isValid() ? static_cast<std::size_t>(row.toULongLong()) : catalogue::kAnyDisc;
}

catalogue::Disc CKavrelView::DiscOfNode(const QTreeWidgetItem* disc) const {
    if (!disc) return {};
    return catalogue::DiscFor(m_pDoc->Entries(), DiscRow(disc), NodeText(disc));
}

QTreeWidgetItem* CKavrelView::FindDiscNode(std::string_view label, std::size_t row) const {
    const QByteArray wanted = Bytes(label);
    // A row names one disc; its node is the one that keeps the disc's first row.
    const std::size_t first =
        row == catalogue::kAnyDisc ? row : catalogue::DiscAt(m_pDoc->Entries(), row).first;
    QTreeWidgetItem* byLabel = nullptr;
    for (int i = 0; m_hImageRoot && i < m_hImageRoot->childCount(); ++i) {
        QTreeWidgetItem* node = m_hImageRoot->child(i);
        if (node->data(0, Qt::UserRole).toByteArray() != wanted) continue;
        if (row == catalogue::kAnyDisc || DiscRow(node) == first) return node;
        if (!byLabel) byLabel = node;
    }
    return byLabel;
}

void CKavrelView::SyncDiscNodes() {
    if (!m_hImageRoot) return;
    const EntryStore& entries = m_pDoc->Entries();
    std::size_t lastFirst = catalogue::kAnyDisc;
    for (int i = 0; i < m_hImageRoot->childCount();) {
        QTreeWidgetItem* node = m_hImageRoot->child(i);
        const std::size_t row = DiscRow(node);
        if (row == kNoRows || row == catalogue::kAnyDisc) {
            ++i;
            continue;
        }
        const catalogue::Disc disc = catalogue::DiscAt(entries, row);
        // Gone, or joined to the disc before it: the node would stand for nothing, or for a disc shown above.
        if (disc.entries == 0 || disc.first == lastFirst) {
            if (node == currentItem() || IsBelow(currentItem(), node)) selectionModel()->clear();
            if (m_hCurItem == node || IsBelow(m_hCurItem, node)) m_hCurItem = nullptr;
            delete node;
            continue;
        }
        lastFirst = disc.first;
        node->setData(0, kDiscRowRole, QVariant::fromValue<qulonglong>(disc.first));
        ++i;
    }
}

void CKavrelView::SelectPickedDisc() {
    QTreeWidgetItem* found = FindDiscNode(m_pDoc->m_strPickLabel, m_pDoc->m_nPickDisc);
    if (!found) return;
    m_pDoc->m_nPickDisc = DiscRow(found);

    m_hImageRoot->setExpanded(true);
    m_bPicking = true;
    setCurrentItem(found);
    m_bPicking = false;
    scrollToItem(found);
    m_hCurItem = found;
    m_pDoc->UpdateAllViews(this, hint::kShowPickedDisc);
}

void CKavrelView::SelectPickedFolder() {
    QTreeWidgetItem* disc = FindDiscNode(m_pDoc->m_strPickLabel, m_pDoc->m_nPickDisc);
    if (!disc) return;
    m_pDoc->m_nPickDisc = DiscRow(disc);
    const std::shared_ptr<const FolderIndex> index = m_pDoc->Folders(DiscOfNode(disc));
    const FolderIndex::FolderId target = index->Find(m_pDoc->m_strPickPath);
    if (target == FolderIndex::kNoFolder || target == FolderIndex::kRoot ||
        !IsBrowsableDisc(NodeText(disc))) {
        SelectPickedDisc();
        return;
    }
    std::vector<FolderIndex::FolderId> down;
    for (FolderIndex::FolderId f = target; f != FolderIndex::kRoot; f = index->Parent(f)) down.push_back(f);

    QTreeWidgetItem* node = disc;
    for (auto folder = down.rbegin(); folder != down.rend(); ++folder) {
        PopulateFolders(node);
        const QByteArray path = Bytes(index->Path(*folder));
        QTreeWidgetItem* child = nullptr;
        for (int i = 0; i < node->childCount() && !child; ++i) {
            if (node->child(i)->data(0, kFolderPathRole).toByteArray() == path) child = node->child(i);
        }
        // Children kept while a node below was selected may lack it; the nearest folder above then shows.
        if (!child) break;
        node->setExpanded(true);
        node = child;
    }
    if (node == disc) {
        SelectPickedDisc();
        return;
    }
    if (node->data(0, kFolderPathRole).toByteArray() != Bytes(index->Path(target))) {
        m_pDoc->m_strPickPath = FolderPath(node);
        m_pDoc->m_strPickName.clear();
    }
    m_hImageRoot->setExpanded(true);
    m_bPicking = true;
    setCurrentItem(node);
    m_bPicking = false;
    scrollToItem(node);
    m_hCurItem = node;
    m_pDoc->UpdateAllViews(this, hint::kShowPickedFolder);
}

void CKavrelView::PopulateFolders(QTreeWidgetItem* node) {
    QTreeWidgetItem* disc = DiscNodeOf(node);
    if (!disc) return;
    const std::string label = NodeText(disc);
    if (!IsBrowsableDisc(label)) return;
    const std::shared_ptr<const FolderIndex> index = m_pDoc->Folders(DiscOfNode(disc));
    const FolderIndex::FolderId folder = node == disc ? FolderIndex::kRoot : index->Find(FolderPath(node));
    std::vector<FolderIndex::FolderId> subfolders;
    if (folder != FolderIndex::kNoFolder) {
        const auto below = index->Subfolders(folder);
        subfolders.assign(below.begin(), below.end());
    }

    // The catalogue may have changed since the node was last expanded; then its folders are read again,
    // unless a node below is selected: the contents list must not change under the user.
    bool same = node->childCount() == static_cast<int>(subfolders.size());
    for (int i = 0; same && i < node->childCount(); ++i)
        same = node->child(i)->data(0, kFolderPathRole).toByteArray() ==
               Bytes(index->Path(subfolders[static_cast<std::size_t>(i)]));
    if (!same && !IsBelow(currentItem(), node)) {
        if (IsBelow(m_hCurItem, node)) m_hCurItem = nullptr;
        qDeleteAll(node->takeChildren());
        QList<QTreeWidgetItem*> nodes;
        nodes.reserve(static_cast<qsizetype>(subfolders.size()));
        for (const FolderIndex::FolderId sub : subfolders) {
            auto* item = new QTreeWidgetItem;
            SetNodeText(item, index->Name(sub));
            item->setData(0, kFolderPathRole, Bytes(index->Path(sub)));
            item->setIcon(0, m_iconFolder);
            item->setChildIndicatorPolicy(index->Subfolders(sub).empty()
                                              ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                              : QTreeWidgetItem::ShowIndicator);
            nodes.append(item);
        }
        // One insertion for all folders: inserting node by node re-lays out the view each time.
        node->addChildren(nodes);
    }
    if (node->childCount() == 0)
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CKavrelView::OnSelChanged() {
    if (m_bRebuilding) return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return;
    m_hCurItem = selected.front();
    if (m_bPicking) return;

    if (IsFolderNode(m_hCurItem)) {
        const QTreeWidgetItem* disc = DiscNodeOf(m_hCurItem);
        m_pDoc->m_strSelText = disc ? NodeText(disc) : std::string();
        m_pDoc->m_nSelDisc = DiscRow(disc);
        m_pDoc->m_strSelFolder = FolderPath(m_hCurItem);
        m_pDoc->UpdateAllViews(this, hint::kShowFolder);
        return;
    }
    const std::string text = NodeText(m_hCurItem);
    if (catalogue::IsDriveNode(text)) {
        ListDriveRoot(catalogue::DriveOfNode(text));
        return;
    }
    m_pDoc->m_strSelText = text;
    m_pDoc->m_nSelDisc = DiscRow(m_hCurItem);
    m_pDoc->UpdateAllViews(this, hint::kShowDisc);
}

void CKavrelView::ListDriveRoot(const std::string& root) {
    scan::BroadcastDriveListing(*m_pDoc, root);
}

QString CKavrelView::DiscToolTip(QTreeWidgetItem* item) const {
    if (!item || !m_hImageRoot || item->parent() != m_hImageRoot) return {};
    const EntryStore& entries = m_pDoc->Entries();
    const catalogue::DiscTotals totals = catalogue::TotalsOf(entries, DiscOfNode(item));
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(QString::fromStdString(catalogue::FormatSize(n)),
                                           QLatin1String(n == 1 ? one : many));
    };
    QString tip = count(totals.files, "file", "files") + QStringLiteral(", ") +
                  count(totals.folders, "folder", "folders") + QStringLiteral(", ") +
                  QString::fromStdString(catalogue::FormatSize(totals.bytes)) + QStringLiteral(" bytes");
    if (totals.unreadableSizes > 0)
        tip += QStringLiteral(" (%1 of unknown size)").arg(count(totals.unreadableSizes, "file", "files"));
    const catalogue::DiscRecord* record = m_pDoc->RecordOf(DiscOfNode(item));
    if (record && !record->location.empty())
        tip += QStringLiteral("\nLocation: ") + ToQString(record->location);
    return tip;
}

bool CKavrelView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QTreeWidgetItem* item = itemAt(help->pos());
        const QString tip = DiscToolTip(item);
        if (!tip.isEmpty()) {
            QToolTip::showText(help->globalPos(), tip, viewport(), visualItemRect(item));
            return true;
        }
    }
    return QTreeWidget::viewportEvent(event);
}
