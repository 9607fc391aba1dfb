#include "frame/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "docview/Messages.h"
#include "frame/CRowSplitter.h"
#include "frame/CommandIds.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "platform/DeviceNotices.h"
#include "platform/Drives.h"
#include "res/Skin.h"
#include "res/Texts.h"
#include "scan/CWatchDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWatch.h"
#include "scan/LiveListing.h"
#include "scan/WalkRunner.h"
#include "search/CFindDlg.h"
#include "search/SearchEngine.h"
#include "tree/CKavrelView.h"

namespace {
constexpr int kTreeWidth = 200;
constexpr int kContentsHeight = 260;
constexpr int kResultsHeight = 100;
}  // namespace

CMainFrame::CMainFrame(CKavrelDoc* doc, IMessages* messages, QWidget* parent)
    : QMainWindow(parent),
      m_pDoc(doc),
      m_pMessages(messages),
      m_pWalks(new WalkRunner(*doc, *messages, m_gate, this)) {
    // First among the document's views, so that the pane is hidden before the others rebuild.
    SetDocument(doc);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateClient();
    m_pTreeView->SetMessages(m_pMessages);
    m_pTreeView->TrackEditActions(Action(cmd::kDeleteItem), Action(cmd::kItemRename));
    BindCommand(cmd::kDeleteItem, [this] { m_pTreeView->OnDeleteItem(); });
    BindCommand(cmd::kItemRename, [this] { m_pTreeView->OnRenameItem(); });
    m_pTreeView->TrackDiscActions(Action(cmd::kDiscProperties), Action(cmd::kUpdateDisc),
                                  Action(cmd::kVerifyDisc));
    BindCommand(cmd::kDiscProperties, [this] {
        // A hit's location may be the one just typed.
        if (m_pTreeView->OnDiscProperties()) m_pResultsView->viewport()->update();
    });
    BindCommand(cmd::kUpdateDisc, [this] { OnUpdateDisc(); });
    BindCommand(cmd::kVerifyDisc, [this] { OnVerifyDisc(); });
    // Printing is the tree's command too: Ctrl+P prints the selected disc only while the tree is active.
    connect(Action(cmd::kDeleteItem), &QAction::enabledChanged, Action(cmd::kFilePrint),
            &QAction::setEnabled);
    SetDeviceNotices(platform::CreateSystemDeviceNotices());
    resize(1024, 680);
    FitToScreen();
    // Whatever changes the catalogue's name or whether it is saved (an edit, a walk, New, Open, Save), the
    // document says so, and the title follows.
    m_pDoc->SetStateListener([this] { UpdateTitle(); });
    UpdateTitle();
    skin::ApplySkin(this);
}

CMainFrame::~CMainFrame() {
    m_pDoc->SetStateListener(nullptr);
}

QAction* CMainFrame::AddAction(int commandId, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, this);
    if (!key.isEmpty()) action->setShortcut(key);
    m_actions[commandId] = action;
    return action;
}

QAction* CMainFrame::Action(int commandId) const {
    const auto found = m_actions.find(commandId);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainFrame::CreateActions() {
    QStyle* look = style();
    AddAction(cmd::kFileNew, tr("&New"), QKeySequence(Qt::CTRL | Qt::Key_N));
    AddAction(cmd::kFileOpen, tr("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O))
        ->setIcon(look->standardIcon(QStyle::SP_DialogOpenButton));
    AddAction(cmd::kFileSave, tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S))
        ->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    AddAction(cmd::kFileSaveAs, tr("Save &As..."));
    AddAction(cmd::kExportList, tr("&Export List..."));
    AddAction(cmd::kCreateImage, tr("&Create Image file"), QKeySequence(Qt::CTRL | Qt::Key_B))
        ->setIcon(look->standardIcon(QStyle::SP_DriveCDIcon));
    AddAction(cmd::kCatalogueImages, tr("Catalogue Disc &Images..."));
    AddAction(cmd::kWatchDiscs, tr("Catalogue Discs As They A&rrive..."),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    QAction* recent = AddAction(cmd::kRecentFile, tr("Recent File"));
    recent->setEnabled(false);
    AddAction(cmd::kAppExit, tr("E&xit"));

    AddAction(cmd::kFind, tr("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F))
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-find"),
                                   look->standardIcon(QStyle::SP_FileDialogContentsView)));
    AddAction(cmd::kDeleteItem, tr("&Delete Item"), QKeySequence(Qt::CTRL | Qt::Key_D));
    AddAction(cmd::kItemRename, tr("Item &Rename"), QKeySequence(Qt::CTRL | Qt::Key_R));
    AddAction(cmd::kUpdateDisc, tr("&Update Disc..."), QKeySequence(Qt::CTRL | Qt::Key_U));
    // Ctrl+V pastes: the menu's V and Ctrl+Shift+V reach it.
    AddAction(cmd::kVerifyDisc, tr("&Verify Disc..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    AddAction(cmd::kDiscProperties, tr("Disc &Properties..."))
        ->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});

    QAction* toolbar = AddAction(cmd::kViewToolbar, tr("&Toolbar"));
    toolbar->setCheckable(true);
    toolbar->setChecked(true);

    AddAction(cmd::kHelpTopics, tr("&Help Topics"), QKeySequence(Qt::CTRL | Qt::Key_H))
        ->setIcon(look->standardIcon(QStyle::SP_DialogHelpButton));
    AddAction(cmd::kAppAbout, tr("&About Kavrel..."))
        ->setIcon(look->standardIcon(QStyle::SP_MessageBoxInformation));

    // Accelerators without a menu item: they act wherever the focus is in the window.
    AddAction(cmd::kFilePrint, tr("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    AddAction(cmd::kEditCopy, tr("&Copy"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    AddAction(cmd::kEditCut, tr("Cu&t"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    AddAction(cmd::kEditPaste, tr("&Paste"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    AddAction(cmd::kEditUndo, tr("&Undo"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    AddAction(cmd::kNextPane, tr("Next Pane"), QKeySequence(Qt::Key_F6));
    AddAction(cmd::kPrevPane, tr("Previous Pane"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    for (int id : {cmd::kFilePrint, cmd::kEditCopy, cmd::kEditCut, cmd::kEditPaste, cmd::kEditUndo,
                   cmd::kNextPane, cmd::kPrevPane})
        addAction(Action(id));

    BindCommand(cmd::kCreateImage, [this] { m_pWalks->OnCreateImage(); });
    BindCommand(cmd::kFind, [this] { OnFind(); });
    connect(Action(cmd::kNextPane), &QAction::triggered, this, [this] { MoveFocusToPane(+1); });
    connect(Action(cmd::kPrevPane), &QAction::triggered, this, [this] { MoveFocusToPane(-1); });
}

void CMainFrame::CreateMenus() {
    m_pFileMenu = menuBar()->addMenu(tr("&File"));
    m_pFileMenu->addAction(Action(cmd::kFileNew));
    m_pFileMenu->addAction(Action(cmd::kFileOpen));
    m_pFileMenu->addAction(Action(cmd::kFileSave));
    m_pFileMenu->addAction(Action(cmd::kFileSaveAs));
    m_pFileMenu->addAction(Action(cmd::kExportList));
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(Action(cmd::kCreateImage));
    m_pFileMenu->addAction(Action(cmd::kCatalogueImages));
    m_pFileMenu->addAction(Action(cmd::kWatchDiscs));
    m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(Action(cmd::kRecentFile));
    m_pRecentAnchor = m_pFileMenu->addSeparator();
    m_pFileMenu->addAction(Action(cmd::kAppExit));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(Action(cmd::kFind));
    edit->addAction(Action(cmd::kDeleteItem));
    edit->addAction(Action(cmd::kItemRename));
    edit->addSeparator();
    edit->addAction(Action(cmd::kUpdateDisc));
    edit->addAction(Action(cmd::kVerifyDisc));
    edit->addAction(Action(cmd::kDiscProperties));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(Action(cmd::kViewToolbar));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(Action(cmd::kHelpTopics));
    help->addSeparator();
    help->addAction(Action(cmd::kAppAbout));
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(tr("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolbar"));
    m_wndToolBar->setMovable(false);
    m_wndToolBar->setFloatable(false);
    m_wndToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    const std::pair<int, const char*> buttons[] = {{cmd::kCreateImage, nullptr}, {cmd::kFileOpen, "Open"},
                                                   {cmd::kFileSave, "Save"},     {cmd::kFind, nullptr},
                                                   {cmd::kHelpTopics, nullptr},  {cmd::kAppAbout, "About"}};
    for (const auto& [id, tip] : buttons) {
        QAction* action = Action(id);
        m_wndToolBar->addAction(action);
        QWidget* button = m_wndToolBar->widgetForAction(action);
        if (tip) {
            button->setToolTip(tr(tip));
        } else {
            // An empty tooltip would make Qt fall back to the action's text; these buttons show none.
            button->installEventFilter(this);
            m_untippedButtons.insert(button);
        }
    }

    QAction* toggle = Action(cmd::kViewToolbar);
    connect(toggle, &QAction::toggled, m_wndToolBar, &QWidget::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::CreateClient() {
    m_wndSplitter = new CRowSplitter(Qt::Horizontal, this);
    m_wndSplitter->setChildrenCollapsible(false);
    m_pTreeView = new CKavrelView(m_pDoc, m_wndSplitter);
    m_wndSplitter2 = new CRowSplitter(Qt::Vertical, m_wndSplitter);
    m_wndSplitter2->setChildrenCollapsible(false);
    m_pContentsView = new CSecView(m_pDoc, m_wndSplitter2);
    m_pContentsView->SetMessages(m_pMessages);
    m_pResultsView = new CThirdView(m_pDoc, m_wndSplitter2);

    // Growing the window widens the lists and deepens the results; the tree and the contents keep their size.
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter2->setStretchFactor(0, 0);
    m_wndSplitter2->setStretchFactor(1, 1);
    m_wndSplitter->SetRowSizes({kTreeWidth, 700});
    m_wndSplitter2->SetRowSizes({kContentsHeight, kResultsHeight});
    setCentralWidget(m_wndSplitter);
}

void CMainFrame::HideResultsPane() {
    if (m_bResultsHidden) return;
    m_wndSplitter2->DropLastRow();
    m_bResultsHidden = 1;
}

void CMainFrame::ShowResultsPane() {
    if (!m_bResultsHidden) return;
    m_wndSplitter2->RestoreLastRow();
    m_bResultsHidden = 0;
}

void CMainFrame::RebuildViews() {
    // The rows after an updated disc have moved, so every view is built again as after Open and the search
    // hits, which name rows, are cleared.
    m_pDoc->SendInitialUpdate();
    m_pDoc->m_bResultRow = 0;
    m_pDoc->UpdateAllViews(nullptr, hint::kResultRow);
}

void CMainFrame::OnUpdateDisc() {
    QTreeWidgetItem* node = m_pTreeView->currentItem();
    if (!m_pTreeView->IsDiscNode(node)) return;
    const catalogue::Disc updated = m_pWalks->OnUpdateDisc(m_pTreeView->DiscOfNode(node));
    if (updated.entries == 0) return;
    RebuildViews();
    // Then the disc is shown again.
    m_pDoc->m_strPickLabel = std::string(m_pDoc->Entries().Text(updated.label));
    m_pDoc->m_nPickDisc = updated.first;
    // No entry of it is picked: an earlier search's pick must not select a row that happens to match.
    m_pDoc->m_strPickName.clear();
    m_pDoc->m_strPickPath.clear();
    m_pDoc->UpdateAllViews(nullptr, hint::kPickDisc);
}

void CMainFrame::WatchDiscs(const std::function<bool()>& giveFile, std::function<bool()> save) {
    // Only whether there are drives: what they hold is looked at once the watch runs.
    if (platform::OpticalDrives().empty()) {
        m_pMessages->Tell(scan::kNoDriveMessage);
        return;
    }
    if (!giveFile()) return;
    std::unique_ptr<scan::WatchedDrives> drives = scan::MachineDrives();
    CWatchDlg dlg(*m_pDoc, *m_pMessages, std::move(drives), std::move(save), this);
    dlg.SetOnUpdated([this] { RebuildViews(); });
    m_pWatch = &dlg;
    dlg.exec();
    m_pWatch = nullptr;
}

void CMainFrame::OnVerifyDisc() {
    QTreeWidgetItem* node = m_pTreeView->currentItem();
    if (m_pTreeView->IsDiscNode(node)) m_pWalks->OnVerifyDisc(m_pTreeView->DiscOfNode(node));
}

void CMainFrame::OnInitialUpdate() {
    HideResultsPane();
}

void CMainFrame::OnUpdate(CView*, int) {}

void CMainFrame::UpdateTitle() {
    setWindowTitle(ToQString(m_pDoc->GetTitle()) + QStringLiteral("[*] - Tamberol"));
    setWindowModified(m_pDoc->IsModified());
}

void CMainFrame::MoveFocusToPane(int step) {
    QList<QWidget*> panes{m_pTreeView, m_pContentsView};
    if (!m_bResultsHidden) panes.append(m_pResultsView);
    const QWidget* focus = QApplication::focusWidget();
    qsizetype at = -1;
    for (qsizetype i = 0; i < panes.size(); ++i)
        if (focus && (focus == panes[i] || panes[i]->isAncestorOf(focus))) at = i;
    const qsizetype count = panes.size();
    const qsizetype next = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    panes[next]->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::Request(std::function<void()> request) {
    m_gate.Run(std::move(request));
}

void CMainFrame::BindCommand(int commandId, std::function<void()> handler) {
    connect(Action(commandId), &QAction::triggered, this,
            [this, handler = std::move(handler)] { Request(handler); });
}

void CMainFrame::FitToScreen() {
    const QScreen* at = screen();
    if (!at || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) return;
    const QRect room = at->availableGeometry();
    const QSize decoration = frameGeometry().size() - geometry().size();
    resize(size().boundedTo(room.size() - decoration));
    if (!isVisible()) return;
    const QRect placed = frameGeometry();
    QPoint corner = placed.topLeft();
    corner.setX(std::max(room.left(), std::min(corner.x(), room.right() + 1 - placed.width())));
    corner.setY(std::max(room.top(), std::min(corner.y(), room.bottom() + 1 - placed.height())));
    if (corner != placed.topLeft()) move(corner);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window manager's frame counts too, and is known only once the window is on screen.
    if (!event->spontaneous())
        QMetaObject::invokeMethod(this, &CMainFrame::FitToScreen, Qt::QueuedConnection);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // A size restored from maximized, or kept from another screen or scale, may not fit where it is now.
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
    const QScreen* at = screen();
    if (at &&
        !at->availableGeometry().contains(QRect(at->availableGeometry().topLeft(), frameGeometry().size())))
        QMetaObject::invokeMethod(this, &CMainFrame::FitToScreen, Qt::QueuedConnection);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // While discs are catalogued as they arrive, the close goes to that window first (which asks when a disc
    // is under way); this one closes after it, once the watch has ended.
    if (m_pWatch) {
        event->ignore();
        if (!m_bCloseAfterWatch && m_pWatch->CloseForWindow()) {
            m_bCloseAfterWatch = true;
            m_gate.Run([this] {
                m_bCloseAfterWatch = false;
                close();
            });
        }
        return;
    }
    if (m_pWalks->HoldsClose([this] { close(); }) || (m_closeGuard && !m_closeGuard())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_untippedButtons.contains(watched)) return true;
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnDeviceChange() {
    RefreshDriveListing(m_pDoc->m_strDrives[0]);
}

void CMainFrame::SetDeviceNotices(std::unique_ptr<platform::DeviceNotices> notices) {
    m_pDeviceNotices = std::move(notices);
    m_pDeviceNotices->SetArrivalHandler([this] { Request([this] { OnDeviceChange(); }); });
}

void CMainFrame::RefreshDriveListing(const std::string& root) {
    scan::BroadcastDriveListing(*m_pDoc, root);
}

void CMainFrame::OnFind() {
    CFindDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted) return;
    if (dlg.m_strFind.empty()) return;
    m_strSearchText = dlg.m_strFind;
    RunSearch(dlg.m_strFind, dlg.SearchOptions());
}

void CMainFrame::RunSearch(const std::string& text, const search::Options& options) {
    const search::Findings found = search::Find(*m_pDoc, text, options);
    switch (found.outcome) {
        case search::Outcome::kStarRefused:
            m_pMessages->Tell(search::kStarWarning);
            return;
        case search::Outcome::kNoEntries:
            if (!options.wholeName) return;
            break;
        case search::Outcome::kSearched:
            // The pane opens before its rows arrive, and stays open behind the message when none do.
            ShowResultsPane();
            search::ListHits(*m_pDoc, found.hits);
            if (!found.hits.empty()) return;
            break;
    }
    m_pMessages->Tell(search::kNotFoundMessage);
    HideResultsPane();
}
