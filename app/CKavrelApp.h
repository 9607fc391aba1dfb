#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "app/IFileDialogs.h"
#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"

class CHelpWindow;
class CMainFrame;
class DocumentLifecycle;
class InstanceServer;
class QAction;
class QSettings;
class QUrl;
class RecentFileList;
class QtFileDialogs;
class QtMessages;

// The application object: starts the program (skin, settings, drives, the one catalogue, the main
// window, the command line), wires the file commands, drops, help, about and print, and ends it.
class CKavrelApp : public QObject {
    Q_OBJECT
public:
    static constexpr int kExitNoDrive = 1;      // no optical drive: "CD/DVD Driver error!"
    static constexpr int kExitNoSkinHost = 1;   // the skin engine could not be set up
    static constexpr int kExitBadArgument = 2;  // the catalogue named on the command line did not open

    // What the tests replace; every null member gets the real thing.
    struct Options {
        QString serverName;               // empty: InstanceServer::DefaultName()
        QSettings* settings = nullptr;    // the recent-file list lives here
        IMessages* messages = nullptr;    // message boxes
        IFileDialogs* dialogs = nullptr;  // open and save-as dialogs
    };

    CKavrelApp();
    explicit CKavrelApp(Options options);
    ~CKavrelApp() override;

    // Starts the program from its arguments (without the program name); false when it is to end at once,
    // with ExitCode() saying how. A catalogue handed to an instance already running also ends this one.
    bool InitInstance(const QStringList& arguments);
    // Closes the window and lets go of the skin; returns the program's exit code.
    int ExitInstance();
    int ExitCode() const { return m_nExitCode; }

    CKavrelDoc& Document() { return m_doc; }
    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    DocumentLifecycle& Files() { return *m_pFiles; }
    RecentFileList& Recent() { return *m_pRecent; }
    CHelpWindow* HelpWindow() const;

    // Help > About Kavrel...: the About box, modally.
    void OnAppAbout();
    // Help > Help Topics: the user guide in its own window.
    void OnHelpTopics();
    // File > Print: the entries of the disc selected in the tree, through the print dialog.
    void OnFilePrint();
    // File > Export List...: the results list when it has the focus, else the contents list, written as CSV
    // or HTML where the person says; a failure is shown with the system's reason.
    void OnExportList();
    // Opens a catalogue dropped on the window or sent by a second start, after the save prompt; during a
    // disc walk, or while a question is on screen, it waits.
    void OpenFromOutside(const QString& path);
    // Puts the recent files into the File menu ("Recent File", greyed, while there are none).
    void UpdateRecentMenu();
    // The label of the disc selected in the tree; empty when no disc node is selected.
    std::string SelectedDisc() const;
    // The first ".cdi" file among dropped URLs; empty when there is none.
    static QString DroppedCatalogue(const QList<QUrl>& urls);
    // The disc image files (".iso") among dropped URLs, in the order dropped.
    static std::vector<std::string> DroppedImages(const QList<QUrl>& urls);
    // File > Catalogue Disc Images...: asks for image files and catalogues them, one disc each.
    void OnCatalogueImages();

protected:
    // Sets up the engine that skins the windows; false when that is impossible, which ends the program.
    virtual bool CreateSkinHost();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Options m_options;
    CKavrelDoc m_doc;
    std::unique_ptr<QSettings> m_pOwnSettings;
    std::unique_ptr<QtMessages> m_pOwnMessages;
    std::unique_ptr<QtFileDialogs> m_pOwnDialogs;
    std::unique_ptr<RecentFileList> m_pRecent;
    std::unique_ptr<DocumentLifecycle> m_pFiles;
    std::unique_ptr<CMainFrame> m_pFrame;
    std::unique_ptr<InstanceServer> m_pServer;
    QPointer<CHelpWindow> m_pHelp;
    std::vector<QPointer<QAction>> m_recentActions;
    QString m_strPendingOpen;  // arrived while a modal dialog was up; opened once it has gone
    int m_nExitCode = 0;
    bool m_bSkinHosted = false;

    void CreateMainFrame();
    // What an exported contents list is titled: the disc it shows, and the folder when it shows one.
    std::string ContentsTitle() const;
    // What an exported results list is titled: the search it holds the hits of.
    std::string ResultsTitle() const;
    void ConnectCommands();
    void OpenNow(const QString& path);
    void OpenPending();
};
