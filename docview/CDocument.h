#pragma once

#include <string>
#include <vector>

class CView;

// A document with its views: the exchange point through which views talk to each other.
class CDocument {
public:
    CDocument() = default;
    virtual ~CDocument();
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    // Attaches a view; the document does not own it.
    void AddView(CView* view);
    // Detaches a view (a view does this itself when it is destroyed).
    void RemoveView(CView* view);
    // The attached views, in the order they were added.
    const std::vector<CView*>& GetViews() const { return m_views; }

    // Calls OnUpdate(sender, hint) on every view but the sender, synchronously, in order.
    void UpdateAllViews(CView* sender, int hint);
    // Runs OnInitialUpdate on every view, in order (after New and Open).
    void SendInitialUpdate();

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    // Full path of the file the document was opened from or saved to; empty when untitled.
    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path and takes the file name (without folder) as the title.
    void SetPathName(const std::string& path);
    // Clears the path and sets the title to the untitled name.
    void ClearPathName();
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title) { m_strTitle = title; }

    // Empties the document's data; documents override it.
    virtual void DeleteContents() {}

private:
    bool IsAttached(const CView* view) const;
    // Calls `visit` on each attached view, in order, over a snapshot taken before the first call.
    template <typename Visit>
    void ForEachView(Visit visit);

    std::vector<CView*> m_views;
    bool m_bModified = false;
    std::string m_strPathName;
    std::string m_strTitle = "Untitled";
};
