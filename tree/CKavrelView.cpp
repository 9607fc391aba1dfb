#include "tree/CKavrelView.h"

#include <QByteArray>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscTotals.h"
#include "catalogue/FormatSize.h"
#include "catalogue/Hints.h"
#include "catalogue/NodeTexts.h"
#include "platform/Drives.h"
#include "res/Texts.h"
#include "scan/LiveListing.h"
#include "search/IResultsPane.h"

CKavrelView::CKavrelView(CKavrelDoc* doc, IResultsPane* pane, QWidget* parent)
    : QTreeWidget(parent), m_pDoc(doc), m_pPane(pane) {
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
    connect(this, &QTreeWidget::itemSelectionChanged, this, &CKavrelView::OnSelChanged);
}

std::string CKavrelView::NodeText(const QTreeWidgetItem* item) {
    const QByteArray bytes = item->data(0, Qt::UserRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void CKavrelView::SetNodeText(QTreeWidgetItem* item, std::string_view text) {
    item->setData(0, Qt::UserRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    item->setText(0, ToQString(text));
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
            break;
    }
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

void CKavrelView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    ScanCdDrives();
    if (m_pPane && !m_pPane->IsResultsHidden()) m_pPane->HideResultsPane();

    m_bRebuilding = true;
    // The old nodes go with clear(); a handle to one of them must not outlive it.
    m_hCurItem = nullptr;
    clear();
    QList<QTreeWidgetItem*> top;
    for (int i = 0; i < m_nDriveRootCount; ++i)
        top.append(MakeNode(catalogue::DriveNodeText(m_strDriveRoots[static_cast<std::size_t>(i)]),
                            NodeKind::Drive));
    m_hImageRoot = MakeNode(catalogue::kImageRootText, NodeKind::CatalogueRoot);
    top.append(m_hImageRoot);
    addTopLevelItems(top);
    m_bRebuilding = false;

    if (m_pDoc->GetEntryCount() > 0) AddDiscNodes();
}

void CKavrelView::OnUpdate(CView*, int hintNumber) {
    if (hintNumber == hint::kPickDisc)
        SelectPickedDisc();
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
    for (const catalogue::Disc& disc : discs)
        nodes.append(MakeNode(entries.Text(disc.label), NodeKind::Disc));
    // One insertion for all discs: inserting node by node re-lays out the view each time.
    m_hImageRoot->addChildren(nodes);
    m_hImageRoot->setExpanded(true);
}

void CKavrelView::AddDiscNode(std::string label) {
    // A disc catalogued before the first build shows up with the build itself.
    if (!m_hImageRoot) return;
    m_hImageRoot->addChild(MakeNode(label, NodeKind::Disc));
    m_hImageRoot->setExpanded(true);
}

void CKavrelView::SelectPickedDisc() {
    const std::string& label = m_pDoc->m_strPickLabel;
    const QByteArray wanted(label.data(), static_cast<qsizetype>(label.size()));
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; m_hImageRoot && i < m_hImageRoot->childCount() && !found; ++i) {
        QTreeWidgetItem* node = m_hImageRoot->child(i);
        if (node->data(0, Qt::UserRole).toByteArray() == wanted) found = node;
    }
    if (!found) return;

    m_hImageRoot->setExpanded(true);
    m_bPicking = true;
    setCurrentItem(found);
    m_bPicking = false;
    scrollToItem(found);
    m_hCurItem = found;
    m_pDoc->UpdateAllViews(this, hint::kShowPickedDisc);
}

void CKavrelView::OnSelChanged() {
    if (m_bRebuilding) return;
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return;
    m_hCurItem = selected.front();
    if (m_bPicking) return;

    const std::string text = NodeText(m_hCurItem);
    if (catalogue::IsDriveNode(text)) {
        ListDriveRoot(catalogue::DriveOfNode(text));
        return;
    }
    m_pDoc->m_strSelText = text;
    m_pDoc->UpdateAllViews(this, hint::kShowDisc);
}

void CKavrelView::ListDriveRoot(const std::string& root) {
    scan::BroadcastDriveListing(*m_pDoc, root);
}

QString CKavrelView::DiscToolTip(QTreeWidgetItem* item) const {
    if (!item || !m_hImageRoot || item->parent() != m_hImageRoot) return {};
    const EntryStore& entries = m_pDoc->Entries();
    const auto node = static_cast<std::size_t>(m_hImageRoot->indexOfChild(item));
    const catalogue::DiscTotals totals =
        catalogue::TotalsOf(entries, catalogue::NodeDisc(entries, node, NodeText(item)));
    const auto count = [](std::size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(QString::fromStdString(catalogue::FormatSize(n)),
                                           QLatin1String(n == 1 ? one : many));
    };
    QString tip = count(totals.files, "file", "files") + QStringLiteral(", ") +
                  count(totals.folders, "folder", "folders") + QStringLiteral(", ") +
                  QString::fromStdString(catalogue::FormatSize(totals.bytes)) + QStringLiteral(" bytes");
    if (totals.unreadableSizes > 0)
        tip += QStringLiteral(" (%1 of unknown size)").arg(count(totals.unreadableSizes, "file", "files"));
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
