#include "docview/CDocument.h"

#include <algorithm>

#include "docview/CView.h"

CDocument::~CDocument() {
    // Views may outlive the document in tests; make sure none keeps a dangling pointer.
    const auto views = m_views;
    for (CView* view : views) view->SetDocument(nullptr);
}

void CDocument::AddView(CView* view) {
    if (std::find(m_views.begin(), m_views.end(), view) == m_views.end()) m_views.push_back(view);
}

void CDocument::RemoveView(CView* view) {
    std::erase(m_views, view);
}

bool CDocument::IsAttached(const CView* view) const {
    return std::find(m_views.begin(), m_views.end(), view) != m_views.end();
}

void CDocument::UpdateAllViews(CView* sender, int hint) {
    // A handler may add or remove views: a snapshot keeps the walk stable, and a view that an earlier
    // handler detached or destroyed is skipped rather than called.
    const auto views = m_views;
    for (CView* view : views) {
        if (view != sender && IsAttached(view)) view->OnUpdate(sender, hint);
    }
}

void CDocument::SendInitialUpdate() {
    const auto views = m_views;
    for (CView* view : views) {
        if (IsAttached(view)) view->OnInitialUpdate();
    }
}

void CDocument::SetPathName(const std::string& path) {
    m_strPathName = path;
    const auto cut = path.find_last_of("/\\");
    m_strTitle = cut == std::string::npos ? path : path.substr(cut + 1);
}

void CDocument::ClearPathName() {
    m_strPathName.clear();
    m_strTitle = "Untitled";
}
