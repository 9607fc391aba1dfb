#pragma once

#include <functional>
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

    // True while the document has changes that are not saved.
    bool IsModified() const { return m_bModified; }
    // Marks the document modified or saved; the state listener hears of it when the flag changes.
    void SetModifiedFlag(bool modified = true) {
        if (m_bModified == modified) return;
        m_bModified = modified;
        StateChanged();
    }
    // Called after every change of the modified flag or of the path and its title, which the window's
    // title shows; one listener at a time, none when empty.
    void SetStateListener(std::function<void()> listener) { m_stateListener = std::move(listener); }

    // Full path of the file the document was opened from or saved to; empty when untitled.
    const std::string& GetPathName() const { return m_strPathName; }
    // Sets the path and takes the file name (without folder) as the title.
    void SetPathName(const std::string& path);
    // Clears the path and sets the title to the untitled name.
    void ClearPathName();
    // The name people know the document by: its file name, or the untitled name.
    const std::string& GetTitle() const { return m_strTitle; }

    // Empties the document's data; documents override it.
    virtual void DeleteContents() {}

private:
    bool IsAttached(const CView* view) const;
    void StateChanged();
    // Sets the path and the title, telling the state listener when either changed.
    void SetPathAndTitle(std::string path, std::string title);
    // Calls `visit` on each attached view, in order, over a snapshot taken before the first call.
    template <typename Visit>
    void ForEachView(Visit visit);

    std::vector<CView*> m_views;
    bool m_bModified = false;
    std::string m_strPathName;
    std::string m_strTitle = "Untitled";
    std::function<void()> m_stateListener;
};
