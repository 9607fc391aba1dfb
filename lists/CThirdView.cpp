#include "lists/CThirdView.h"

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

void CThirdView::OnDblClk() {
    m_results.Pick(listview::TopmostSelectedRow(this), this);
}
