#include "docview/CDocument.h"

#include <algorithm>
#include <span>

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

template <typename Visit>
void CDocument::ForEachView(Visit visit) {
    // A handler may add or remove views: a snapshot keeps the walk stable, and a view that an earlier
    // handler detached or destroyed is skipped rather than called. Hints come by the hundred thousand
    // during a search, so a document's few views are copied to the stack, not the heap.
    constexpr std::size_t kFew = 8;
    CView* few[kFew];
    std::vector<CView*> many;
    std::span<CView*> snapshot;
    if (m_views.size() <= kFew) {
        std::copy(m_views.begin(), m_views.end(), few);
        snapshot = {few, m_views.size()};
    } else {
        many = m_views;
        snapshot = many;
    }
    for (CView* view : snapshot) {
        if (IsAttached(view)) visit(view);
    }
}

void CDocument::UpdateAllViews(CView* sender, int hint) {
    ForEachView([&](CView* view) {
        if (view != sender) view->OnUpdate(sender, hint);
    });
}

void CDocument::SendInitialUpdate() {
    ForEachView([](CView* view) { view->OnInitialUpdate(); });
}

void CDocument::SetPathName(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    SetPathAndTitle(path, cut == std::string::npos ? path : path.substr(cut + 1));
}

void CDocument::ClearPathName() {
    SetPathAndTitle({}, "Untitled");
}

void CDocument::SetPathAndTitle(std::string path, std::string title) {
    if (path == m_strPathName && title == m_strTitle) return;
    m_strPathName = std::move(path);
    m_strTitle = std::move(title);
    StateChanged();
}

void CDocument::StateChanged() {
    if (m_stateListener) m_stateListener();
}
