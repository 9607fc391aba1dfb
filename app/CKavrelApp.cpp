#include "app/CKavrelApp.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTimer>
#include <QUrl>

#include "app/CAboutDlg.h"
#include "app/CHelpWindow.h"
#include "app/DiscPrintout.h"
#include "app/DocumentLifecycle.h"
#include "app/InstanceServer.h"
#include "app/QtFileDialogs.h"
#include "app/RecentFileList.h"
#include "catalogue/AtomicFile.h"
#include "catalogue/DisplayText.h"
#include "frame/CMainFrame.h"
#include "frame/CommandIds.h"
#include "lists/CSecView.h"
#include "lists/CThirdView.h"
#include "lists/ListExport.h"
#include "platform/Drives.h"
#include "res/QtMessages.h"
#include "res/Skin.h"
#include "scan/CreateImageCommand.h"
#include "scan/WalkRunner.h"
#include "tree/CKavrelView.h"

// The icon and the guide live in this static library's resources; register them before the first use.
static void InitAppResources() {
    Q_INIT_RESOURCE(app);
}

namespace {
constexpr const char* kSettingsOrganisation = "Local AppWizard-Generated Applications";
constexpr const char* kSettingsApplication = "Kavrel";
constexpr const char* kSkinFile = "Metallic.skn";
constexpr const char* kNoSkinHostMessage =
    "Can't create a Skin control. Make sure ActiveSkin is installed properly.";
constexpr int kModalRetryMs = 300;
// What an export is called when the list names nothing itself.
constexpr const char* kResultsTitle = "Search results";
constexpr const char* kContentsTitle = "Contents";

// A name the file dialog can propose for a list's title: its display form, without the characters that
// separate folders or that some systems refuse in a file name.
std::string FileNameFor(std::string_view title) {
    std::string name = catalogue::ToDisplayUtf8(title);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return name;
}

std::string FromPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
}  // namespace

CKavrelApp::CKavrelApp() : CKavrelApp(Options{}) {}

CKavrelApp::CKavrelApp(Options options) : m_options(std::move(options)) {
    InitAppResources();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tamberol.png")));
}

CKavrelApp::~CKavrelApp() {
    ExitInstance();
}

bool CKavrelApp::InitInstance(const QStringList& arguments) {
    QString path;
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-'))) {
            path = argument;
            break;
        }
    }
    const QString serverName =
        m_options.serverName.isEmpty() ? InstanceServer::DefaultName() : m_options.serverName;
    // Opening a catalogue from the file manager while the program runs belongs in the running window.
    if (!path.isEmpty() && InstanceServer::HandOver(serverName, path)) {
        m_nExitCode = 0;
        return false;
    }

    if (!m_options.messages) {
        m_pOwnMessages = std::make_unique<QtMessages>();
        m_options.messages = m_pOwnMessages.get();
    }
    IMessages& messages = *m_options.messages;
    if (!CreateSkinHost()) {
        messages.Show({kNoSkinHostMessage, "Error", msg::Buttons::Ok, msg::Icon::Error});
        m_nExitCode = kExitNoSkinHost;
        return false;
    }
    m_bSkinHosted = true;
    // A missing or bad skin leaves the windows unskinned; the program runs on.
    skin::LoadSkin(QString::fromLatin1(kSkinFile));

    if (!m_options.settings) {
        m_pOwnSettings = std::make_unique<QSettings>(QString::fromLatin1(kSettingsOrganisation),
                                                     QString::fromLatin1(kSettingsApplication));
        m_options.settings = m_pOwnSettings.get();
    }
    m_pRecent = std::make_unique<RecentFileList>(*m_options.settings);

    if (platform::OpticalDrives().empty()) {
        messages.Tell(scan::kNoDriveMessage);
        m_nExitCode = kExitNoDrive;
        return false;
    }

    CreateMainFrame();
    if (!path.isEmpty()) {
        if (!m_pFiles->OpenAtStart(FromPath(path))) {
            m_nExitCode = kExitBadArgument;
            return false;
        }
    } else {
        m_doc.SendInitialUpdate();
    }
    UpdateRecentMenu();
    m_pFrame->show();
    m_pFrame->raise();
    m_pFrame->activateWindow();
    if (m_pOwnMessages) m_pOwnMessages->SetOwner(m_pFrame.get());
    if (m_pOwnDialogs) m_pOwnDialogs->SetOwner(m_pFrame.get());

    m_pServer = std::make_unique<InstanceServer>();
    connect(m_pServer.get(), &InstanceServer::openRequested, this, &CKavrelApp::OpenFromOutside);
    m_pServer->Listen(serverName);
    return true;
}

int CKavrelApp::ExitInstance() {
    m_pServer.reset();
    m_recentActions.clear();
    m_pFrame.reset();
    if (m_bSkinHosted) {
        skin::UnloadSkin();
        m_bSkinHosted = false;
    }
    return m_nExitCode;
}

bool CKavrelApp::CreateSkinHost() {
    return true;
}

CHelpWindow* CKavrelApp::HelpWindow() const {
    return m_pHelp;
}

void CKavrelApp::CreateMainFrame() {
    if (!m_options.dialogs) {
        m_pOwnDialogs = std::make_unique<QtFileDialogs>();
        m_options.dialogs = m_pOwnDialogs.get();
    }
    m_doc.SetMessages(m_options.messages);
    m_pFiles =
        std::make_unique<DocumentLifecycle>(m_doc, *m_options.messages, *m_options.dialogs, *m_pRecent);
    m_pFrame = std::make_unique<CMainFrame>(&m_doc, m_options.messages);
    m_pFrame->SetCloseGuard([this] { return m_pFiles->SaveModified(); });
    m_pFrame->setAcceptDrops(true);
    m_pFrame->installEventFilter(this);
    m_pFiles->SetOnChanged([this] { UpdateRecentMenu(); });
    ConnectCommands();
}

void CKavrelApp::ConnectCommands() {
    CMainFrame* frame = m_pFrame.get();
    DocumentLifecycle* files = m_pFiles.get();
    // The file commands replace or rename the catalogue: they wait for a disc walk like every such request.
    frame->BindCommand(cmd::kFileNew, [files] { files->FileNew(); });
    frame->BindCommand(cmd::kFileOpen, [files] { files->FileOpen(); });
    frame->BindCommand(cmd::kFileSave, [files] { files->FileSave(); });
    frame->BindCommand(cmd::kFileSaveAs, [files] { files->FileSaveAs(); });
    frame->BindCommand(cmd::kCatalogueImages, [this] { OnCatalogueImages(); });
    // Each disc is saved as soon as it is done, so a catalogue without a file gets one first.
    frame->BindCommand(cmd::kWatchDiscs, [frame, files, this] {
        frame->WatchDiscs([files, this] { return !m_doc.GetPathName().empty() || files->FileSaveAs(); },
                          [files] { return files->FileSave(); });
    });
    // Exit is closing the window, which has its own question during a walk; the rest leave the catalogue be.
    const auto bind = [frame, this](int command, auto handler) {
        if (QAction* action = frame->Action(command)) connect(action, &QAction::triggered, this, handler);
    };
    bind(cmd::kAppExit, [frame] { frame->close(); });
    bind(cmd::kAppAbout, [this] { OnAppAbout(); });
    bind(cmd::kHelpTopics, [this] { OnHelpTopics(); });
    bind(cmd::kFilePrint, [this] { OnFilePrint(); });
    bind(cmd::kExportList, [this] { OnExportList(); });
}

void CKavrelApp::OnAppAbout() {
    CAboutDlg dlg(m_pFrame.get());
    dlg.DoModal();
}

void CKavrelApp::OnHelpTopics() {
    if (!m_pHelp) m_pHelp = new CHelpWindow(m_pFrame.get());
    m_pHelp->show();
    m_pHelp->raise();
    m_pHelp->activateWindow();
}

std::string CKavrelApp::SelectedDisc() const {
    if (!m_pFrame) return {};
    const CKavrelView* tree = m_pFrame->TreeView();
    const QTreeWidgetItem* item = tree ? tree->currentItem() : nullptr;
    if (!item || !item->parent() || item->parent() != tree->m_hImageRoot) return {};
    return CKavrelView::NodeText(item);
}

void CKavrelApp::OnFilePrint() {
    const std::string label = SelectedDisc();
    if (label.empty()) {
        m_options.messages->Tell("Select a disc in the tree to print its entries.");
        return;
    }
    // The node's own disc, which another disc may share the label with.
    printout::PrintDisc(m_pFrame.get(), m_doc, label,
                        CKavrelView::DiscRow(m_pFrame->TreeView()->currentItem()));
}

std::string CKavrelApp::ContentsTitle() const {
    const ContentsList& contents = m_pFrame->ContentsView()->Contents();
    if (!contents.IsCatalogueLayout()) return contents.CurrentDir();
    // The list shows what the tree has selected: a disc, or one folder of it.
    const CKavrelView* tree = m_pFrame->TreeView();
    QTreeWidgetItem* item = tree->currentItem();
    const QTreeWidgetItem* disc = item ? tree->DiscNodeOf(item) : nullptr;
    if (!disc) return kContentsTitle;
    std::string title = CKavrelView::NodeText(disc);
    if (CKavrelView::IsFolderNode(item)) title += ", folder " + CKavrelView::FolderPath(item);
    return title;
}

std::string CKavrelApp::ResultsTitle() const {
    const std::string& text = m_pFrame->SearchText();
    return text.empty() ? std::string(kResultsTitle) : std::string(kResultsTitle) + " for \"" + text + "\"";
}

void CKavrelApp::OnExportList() {
    const CThirdView* results = m_pFrame->ResultsView();
    const CSecView* contents = m_pFrame->ContentsView();
    // The results list only while a person works in it; every other focus means the list above it, which
    // shows what the tree has selected.
    const bool fromResults = !m_pFrame->IsResultsHidden() && results->hasFocus();
    const std::string title = fromResults ? ResultsTitle() : ContentsTitle();
    const DetailListModel& model = fromResults ? results->Results().Model() : contents->Contents().Model();
    const std::optional<listexport::Target> target = m_options.dialogs->AskExportPath(FileNameFor(title));
    if (!target) return;
    const std::string bytes = target->format == listexport::Format::Csv ? listexport::ToCsv(model)
                                                                        : listexport::ToHtml(model, title);
    AtomicFile file(target->path);
    if (file.Open() && file.Write(bytes) && file.Commit()) return;
    m_options.messages->Tell("Cannot export the list to \"" + target->path + "\": " + file.Error(),
                             msg::Icon::Error);
}

void CKavrelApp::OpenFromOutside(const QString& path) {
    if (!m_pFrame || !m_pFiles) return;
    m_pFrame->Request([this, path] { OpenNow(path); });
}

void CKavrelApp::OpenNow(const QString& path) {
    // A question already on screen must be answered first; the request waits for it.
    if (QApplication::activeModalWidget()) {
        const bool scheduled = !m_strPendingOpen.isEmpty();
        m_strPendingOpen = path;
        if (!scheduled) QTimer::singleShot(kModalRetryMs, this, &CKavrelApp::OpenPending);
        return;
    }
    if (m_pFrame->isMinimized()) m_pFrame->showNormal();
    m_pFrame->show();
    m_pFrame->raise();
    m_pFrame->activateWindow();
    m_pFiles->OpenDocumentFile(FromPath(path));
}

void CKavrelApp::OpenPending() {
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(kModalRetryMs, this, &CKavrelApp::OpenPending);
        return;
    }
    const QString path = std::exchange(m_strPendingOpen, QString());
    if (!path.isEmpty()) OpenFromOutside(path);
}

void CKavrelApp::UpdateRecentMenu() {
    if (!m_pFrame) return;
    QMenu* menu = m_pFrame->FileMenu();
    QAction* placeholder = m_pFrame->Action(cmd::kRecentFile);
    QAction* anchor = m_pFrame->RecentFileAnchor();
    for (const QPointer<QAction>& action : m_recentActions) {
        if (!action) continue;
        menu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const QStringList& paths = m_pRecent->Paths();
    if (placeholder) {
        placeholder->setVisible(paths.isEmpty());
        placeholder->setEnabled(false);
    }
    for (int i = 0; i < paths.size(); ++i) {
        auto* action = new QAction(m_pRecent->MenuText(i), menu);
        action->setToolTip(QDir::toNativeSeparators(paths[i]));
        action->setStatusTip(action->toolTip());
        // The file, not its place: a request that waits may find the list reordered by then.
        connect(action, &QAction::triggered, this, [this, path = paths[i]] {
            m_pFrame->Request([this, path] {
                m_pFiles->OpenRecentFile(path);
                UpdateRecentMenu();
            });
        });
        menu->insertAction(anchor, action);
        m_recentActions.emplace_back(action);
    }
}

QString CKavrelApp::DroppedCatalogue(const QList<QUrl>& urls) {
    for (const QUrl& url : urls) {
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QLatin1String(DocumentLifecycle::kExtension), Qt::CaseInsensitive))
            return url.toLocalFile();
    }
    return {};
}

std::vector<std::string> CKavrelApp::DroppedImages(const QList<QUrl>& urls) {
    std::vector<std::string> images;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
            images.push_back(FromPath(url.toLocalFile()));
    }
    return images;
}

void CKavrelApp::OnCatalogueImages() {
    m_pFrame->Walks().OnCatalogueImages(m_options.dialogs->AskImagePaths());
}

bool CKavrelApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_pFrame.get()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls() && (!DroppedCatalogue(drag->mimeData()->urls()).isEmpty() ||
                                                !DroppedImages(drag->mimeData()->urls()).empty()))
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = DroppedCatalogue(drop->mimeData()->urls());
            if (path.isEmpty()) {
                // Images alone are catalogued; beside a catalogue they are left, since the catalogue
                // replaces the one they would have gone into.
                std::vector<std::string> images = DroppedImages(drop->mimeData()->urls());
                if (images.empty()) return true;
                drop->acceptProposedAction();
                QMetaObject::invokeMethod(
                    this,
                    [this, images = std::move(images)] {
                        m_pFrame->Request([this, images] { m_pFrame->Walks().OnCatalogueImages(images); });
                    },
                    Qt::QueuedConnection);
                return true;
            }
            drop->acceptProposedAction();
            // The save prompt is modal; it must not run inside the drag and drop of the file manager.
            QMetaObject::invokeMethod(
                this, [this, path] { OpenFromOutside(path); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}
