#include "docview/CView.h"

#include "docview/CDocument.h"

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::SetDocument(CDocument* doc) {
    if (m_pDocument == doc) return;
    if (m_pDocument) m_pDocument->RemoveView(this);
    m_pDocument = doc;
    if (m_pDocument) m_pDocument->AddView(this);
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0);
}
