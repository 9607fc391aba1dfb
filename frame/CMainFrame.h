#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "docview/CView.h"
#include "docview/DocumentGate.h"

class CKavrelDoc;
class CKavrelView;
class CRowSplitter;
class CSecView;
class CThirdView;
class CWatchDlg;
class IMessages;
class QAction;
class QMenu;
class QToolBar;
class WalkRunner;
namespace platform {
class DeviceNotices;
}
namespace search {
struct Options;
}

// The main window: menus, accelerators, the toolbar and the three panes (tree | contents over results),
// and the commands that work on the whole catalogue (Create Image file, Find, a disc's arrival). It is a view
// of the document too, so that every new or opened catalogue starts with the results pane hidden.
class CMainFrame : public QMainWindow, public CView {
    Q_OBJECT
public:
    // Builds the window and its views of `doc`; `messages` shows every message box.
    CMainFrame(CKavrelDoc* doc, IMessages* messages, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a command id (see frame/CommandIds.h); null for an unknown id.
    QAction* Action(int commandId) const;
    // The File menu, where the application puts its recent files.
    QMenu* FileMenu() const { return m_pFileMenu; }
    // The separator before which recent-file entries go (the "Recent File" placeholder stands before it).
    QAction* RecentFileAnchor() const { return m_pRecentAnchor; }
    // The toolbar that View > Toolbar hides and shows.
    QToolBar* ToolBar() const { return m_wndToolBar; }

    // The catalogue tree (left pane).
    CKavrelView* TreeView() const { return m_pTreeView; }
    // The contents list (upper right pane).
    CSecView* ContentsView() const { return m_pContentsView; }
    // The search results list (lower right pane).
    CThirdView* ResultsView() const { return m_pResultsView; }
    // The splitter between the contents list and the results list.
    CRowSplitter* RightSplitter() const { return m_wndSplitter2; }

    // True while the results pane is hidden.
    bool IsResultsHidden() const { return m_bResultsHidden != 0; }
    // Shows the results pane with the rows it had, below the contents list at its earlier height.
    void ShowResultsPane();
    // Hides the results pane; its rows stay and the contents list takes the whole column.
    void HideResultsPane();

    // Hides the results pane: a new or opened catalogue has no hits to show.
    void OnInitialUpdate() override;
    // "Update Disc..." on the tree's current disc node (WalkRunner::OnUpdateDisc); once the disc is
    // replaced, the views are built again and show it.
    void OnUpdateDisc();
    // "Verify Disc..." on the tree's current disc node (WalkRunner::OnVerifyDisc); the catalogue stays as it
    // is.
    void OnVerifyDisc();
    // File > "Catalogue Discs As They Arrive...": the watch window over the machine's drives (CWatchDlg),
    // modal while it runs; `save` writes the catalogue to its file after each disc. Once there are drives,
    // `giveFile` gives the catalogue a file when it has none (false: it was not given one, nothing is done).
    void WatchDiscs(const std::function<bool()>& giveFile, std::function<bool()> save);
    // The frame acts on no hint.
    void OnUpdate(CView* sender, int hint) override;

    // Asked before the window closes (Exit, the close box); returning false keeps it open.
    void SetCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

    // Runs `request`, which replaces, edits or refreshes the catalogue, once no other such request and no
    // disc walk is running; those that wait run in the order they arrived.
    void Request(std::function<void()> request);
    // Makes command `commandId` run `handler` as such a request.
    void BindCommand(int commandId, std::function<void()> handler);
    // The gate requests wait at: held while one runs and during a walk.
    const DocumentGate& Gate() const { return m_gate; }
    // Runs Create Image file and Catalogue Disc Images, holding the gate while a disc is walked.
    WalkRunner& Walks() const { return *m_pWalks; }

    // Refreshes the contents list when a disc arrives: a live listing of the first optical drive.
    void OnDeviceChange();
    // Broadcasts the live listing of a drive's root folder to the views.
    void RefreshDriveListing(const std::string& root);
    // Takes over the source of disc arrivals (the system's watcher until then); each runs OnDeviceChange.
    void SetDeviceNotices(std::unique_ptr<platform::DeviceNotices> notices);

    // The text of the last search run: what the results list holds the hits of.
    const std::string& SearchText() const { return m_strSearchText; }

    // Runs the search for `text` with `options` and shows what it found: the hits in the results pane, or a
    // message (and the pane hidden) when there are none.
    void RunSearch(const std::string& text, const search::Options& options);

public slots:
    // Asks for a name and options and runs the search.
    void OnFind();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Builds every view again once a disc was replaced, dropping the search hits, which name rows.
    void RebuildViews();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateClient();
    QAction* AddAction(int commandId, const QString& text, const QKeySequence& key = {});
    void MoveFocusToPane(int step);
    // Shows the document's title, " - Tamberol", and whether it has unsaved changes.
    void UpdateTitle();
    // Shrinks the window, frame included, to what its screen has room for (less the desktop's panels), and
    // moves it in where it sticks out once shown: the size asked for is in units that a scale factor
    // enlarges.
    void FitToScreen();

    CKavrelDoc* m_pDoc;
    IMessages* m_pMessages;
    QPointer<CWatchDlg> m_pWatch;     // the watch window while it runs
    bool m_bCloseAfterWatch = false;  // a close waits for the watch window to go
    DocumentGate m_gate;
    WalkRunner* m_pWalks;
    int m_bResultsHidden = 0;
    CRowSplitter* m_wndSplitter = nullptr;   // tree | right column
    CRowSplitter* m_wndSplitter2 = nullptr;  // contents over results
    QToolBar* m_wndToolBar = nullptr;
    CKavrelView* m_pTreeView = nullptr;
    CSecView* m_pContentsView = nullptr;
    CThirdView* m_pResultsView = nullptr;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentAnchor = nullptr;
    std::map<int, QAction*> m_actions;
    QSet<QObject*> m_untippedButtons;  // toolbar buttons that show no tooltip
    std::function<bool()> m_closeGuard;
    std::string m_strSearchText;
    std::unique_ptr<platform::DeviceNotices> m_pDeviceNotices;
};
