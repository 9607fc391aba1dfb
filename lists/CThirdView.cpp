#include "lists/CThirdView.h"

#include <QContextMenuEvent>
#include <QMenu>

#include "catalogue/CKavrelDoc.h"
#include "lists/GridLineDelegate.h"
#include "lists/ListViewSetup.h"

CThirdView::CThirdView(CKavrelDoc* doc, QWidget* parent) : CReportView(parent), m_results(doc) {
    SetDocument(doc);
    listview::SetUp(this, &m_results.Model());
    setItemDelegate(new GridLineDelegate(this));
}

CThirdView::~CThirdView() {
    setModel(nullptr);
}

void CThirdView::OnInitialUpdate() {
    m_results.OnInitialUpdate();
}

void CThirdView::OnUpdate(CView*, int hint) {
    m_results.OnUpdate(hint);
}

void CThirdView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    QModelIndex at;
    if (event->reason() == QContextMenuEvent::Keyboard) {
        at = currentIndex();
        if (!at.isValid()) at = model()->index(listview::TopmostSelectedRow(this), 0);
    } else {
        at = indexAt(event->pos());
        // A right-click on a row outside the selection moves the selection there, as a left click would.
        if (at.isValid() && !selectionModel()->isRowSelected(at.row(), {}))
            selectionModel()->setCurrentIndex(
                at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    if (!at.isValid()) return;
    if (!m_pHitMenu) {
        m_pHitMenu = new QMenu(this);
        m_pHitMenu->addAction(QStringLiteral("Show in Folder"));
    }
    const QPoint pos = event->reason() == QContextMenuEvent::Keyboard
                           ? viewport()->mapToGlobal(visualRect(at).center())
                           : event->globalPos();
    if (m_pHitMenu->exec(pos)) m_results.ShowInFolder(at.row(), this);
}

void CThirdView::OnDblClk() {
    m_results.Pick(listview::TopmostSelectedRow(this), this);
}
