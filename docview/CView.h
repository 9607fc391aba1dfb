#pragma once

class CDocument;

// A view of one document: told of changes through OnUpdate with the sender and a hint number.
class CView {
public:
    CView() = default;
    virtual ~CView();
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    // Attaches this view to a document (detaching it from a previous one).
    void SetDocument(CDocument* doc);
    CDocument* GetDocument() const { return m_pDocument; }

    // Runs when the document is new or freshly opened; by default sends OnUpdate(nullptr, 0).
    virtual void OnInitialUpdate();
    // Reacts to a hint that another view or the frame broadcast.
    virtual void OnUpdate(CView* sender, int hint) = 0;

private:
    CDocument* m_pDocument = nullptr;
};
