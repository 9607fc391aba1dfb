#include "lists/CThirdView.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "catalogue/CKavrelDoc.h"
#include "lists/GridLineDelegate.h"
#include "lists/ListViewSetup.h"

CThirdView::CThirdView(CKavrelDoc* doc, QWidget* parent) : QTreeView(parent), m_results(doc) {
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

void CThirdView::OnDblClk() {
    m_results.Pick(listview::TopmostSelectedRow(this), this);
}

void CThirdView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) OnDblClk();
}

void CThirdView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnDblClk();
        return;
    }
    QTreeView::keyPressEvent(event);
}
