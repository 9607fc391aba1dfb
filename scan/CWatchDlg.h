#pragma once

#include <QDialog>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class CKavrelDoc;
class IMessages;
class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSocketNotifier;
class QTableWidget;
class QTableWidgetItem;
namespace scan {
class DiscWatch;
class WatchedDrives;
struct Arrival;
struct HandledDisc;
}  // namespace scan

// File > "Catalogue Discs As They Arrive...": a small window that lists the drives with their states and a
// log of the discs handled, while each disc put in a drive is read, added (or, when already catalogued,
// skipped or updated as the person answers) and the catalogue saved, with no dialog per disc. The window is
// modal: the catalogue changes under it alone.
class CWatchDlg : public QDialog {
    Q_OBJECT
public:
    // Watches `drives` for `doc`, which has a file: `save` writes it there (atomically) after each disc that
    // changed it and says whether it did. `messages` asks about known discs and tells what went wrong.
    CWatchDlg(CKavrelDoc& doc, IMessages& messages, std::unique_ptr<scan::WatchedDrives> drives,
              std::function<bool()> save, QWidget* parent = nullptr);
    ~CWatchDlg() override;

    // Called after a disc was updated in place: the rows after it moved, so the views are built again.
    void SetOnUpdated(std::function<void()> updated) { m_onUpdated = std::move(updated); }
    // The main window is asked to close: closes this one as its close box does (asking when a disc is under
    // way). True when it closed, or will once the disc under way has stopped; false when the person said No.
    bool CloseForWindow();

    // What the window shows, for tests: the drives' rows and the log's lines.
    QTableWidget* DriveList() const { return m_pDrives; }
    QListWidget* Log() const { return m_pLog; }
    QCheckBox* EjectBox() const { return m_pEject; }
    QPushButton* StopButton() const { return m_pStop; }
    QPushButton* CancelButton() const { return m_pCancel; }

    static constexpr int kDriveColumn = 0;
    static constexpr int kStateColumn = 1;
    static constexpr int kLabelColumn = 2;

protected:
    // Closing while a disc is read asks as a walk does; after a Yes the disc is cancelled and the window
    // closes once its reading has stopped.
    void closeEvent(QCloseEvent* event) override;
    // Escape is the close box.
    void reject() override;

private:
    void Step();
    void ShowDrives();
    void LabelEdited(QTableWidgetItem* item);
    bool AskUpdate(const scan::Arrival& arrival);
    void Stop();
    // True while the window must stay open: a disc is under way (asked about once).
    bool HoldsClose();
    // Writes the disc's line in the log and shows its outcome as its drive's state; with `ejectProblem`, its
    // tray was asked to open and that is how it went (empty: it opened).
    void Done(scan::HandledDisc& disc, std::optional<std::string> ejectProblem = std::nullopt);
    // Nothing under way: no step, no disc read, no tray opening.
    bool Idle() const;

    CKavrelDoc& m_doc;
    IMessages& m_messages;
    std::unique_ptr<scan::WatchedDrives> m_drives;
    std::function<bool()> m_save;
    std::function<void()> m_onUpdated;
    std::unique_ptr<scan::DiscWatch> m_watch;
    // Trays being opened, each on a thread of its own: the window stays live meanwhile, and the disc's line
    // is written once its tray is open (or said not to be).
    struct Ejecting;
    std::vector<std::unique_ptr<Ejecting>> m_ejecting;
    QTableWidget* m_pDrives = nullptr;
    QListWidget* m_pLog = nullptr;
    QCheckBox* m_pEject = nullptr;
    QCheckBox* m_pChecksums = nullptr;
    QPushButton* m_pStop = nullptr;
    QPushButton* m_pCancel = nullptr;
    QTimer m_timer;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_bStepping = false;  // a Step is under way (a question it asked may run the event loop)
    bool m_bStopping = false;  // Stop or a confirmed close: no more discs, close once none is read
    bool m_bShowing = false;   // the list is being filled: its edits are not the person's
    bool m_bCloseAsked = false;
    bool m_bSaveFailed = false;  // told once; the watch stops, since nothing more could be kept
};
