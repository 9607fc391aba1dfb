#include "scan/CWatchDlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTableWidget>
#include <QVBoxLayout>
#include <system_error>

#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"
#include "res/Skin.h"
#include "res/Texts.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWatch.h"

struct CWatchDlg::Ejecting {
    scan::HandledDisc disc;
    std::string problem;  // how the tray's opening went, once done
    std::atomic<bool> done{false};
    std::thread thread;
};

CWatchDlg::CWatchDlg(CKavrelDoc& doc, IMessages& messages, std::unique_ptr<scan::WatchedDrives> drives,
                     std::function<bool()> save, QWidget* parent)
    : QDialog(parent),
      m_doc(doc),
      m_messages(messages),
      m_drives(std::move(drives)),
      m_save(std::move(save)) {
    setWindowTitle(tr("Catalogue Discs As They Arrive"));
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(tr("Put a disc in a drive: it is read, added to the catalogue and saved. Type over a "
                      "label while its disc is read to give the disc another."),
                   this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* drivesTitle = new QLabel(tr("Dri&ves:"), this);
    layout->addWidget(drivesTitle);

    m_pDrives = new QTableWidget(0, 3, this);
    m_pDrives->setHorizontalHeaderLabels({tr("Drive"), tr("State"), tr("Label")});
    m_pDrives->verticalHeader()->hide();
    m_pDrives->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_pDrives->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pDrives->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
    m_pDrives->setTabKeyNavigation(false);
    m_pDrives->setWordWrap(false);
    m_pDrives->horizontalHeader()->setSectionResizeMode(kDriveColumn, QHeaderView::ResizeToContents);
    m_pDrives->horizontalHeader()->setSectionResizeMode(kStateColumn, QHeaderView::ResizeToContents);
    m_pDrives->horizontalHeader()->setStretchLastSection(true);
    m_pDrives->setMinimumWidth(640);
    drivesTitle->setBuddy(m_pDrives);
    layout->addWidget(m_pDrives);
    connect(m_pDrives, &QTableWidget::itemChanged, this, &CWatchDlg::LabelEdited);

    auto* logTitle = new QLabel(tr("&Discs handled:"), this);
    layout->addWidget(logTitle);
    m_pLog = new QListWidget(this);
    logTitle->setBuddy(m_pLog);
    layout->addWidget(m_pLog);

    m_pEject = new QCheckBox(tr("&Open the tray when a disc is done"), this);
    m_pChecksums = new QCheckBox(tr("Record &checksums"), this);
    layout->addWidget(m_pEject);
    layout->addWidget(m_pChecksums);

    auto* buttons = new QDialogButtonBox(this);
    m_pCancel = buttons->addButton(tr("Ca&ncel"), QDialogButtonBox::ActionRole);
    m_pStop = buttons->addButton(tr("&Stop"), QDialogButtonBox::ActionRole);
    m_pCancel->setToolTip(tr("Stops reading the disc under way; nothing of it is added."));
    m_pStop->setToolTip(tr("Takes no more discs, and closes once the disc under way is done."));
    m_pCancel->setAutoDefault(false);
    m_pStop->setAutoDefault(false);
    layout->addWidget(buttons);

    scan::WatchOptions options;
    options.askKnown = [this](const scan::Arrival& arrival) { return AskUpdate(arrival); };
    // Told on a walking thread: the step runs on this window's thread, and never after the window is gone
    // (the watch, and with it every walking thread, ends first).
    m_watch = std::make_unique<scan::DiscWatch>(*m_drives, options, [this] {
        QMetaObject::invokeMethod(
            this, [this] { Step(); }, Qt::QueuedConnection);
    });
    connect(m_pEject, &QCheckBox::toggled, this, [this](bool on) { m_watch->SetEject(on); });
    connect(m_pChecksums, &QCheckBox::toggled, this, [this](bool on) { m_watch->SetChecksums(on); });
    connect(m_pCancel, &QPushButton::clicked, this, [this] { m_watch->CancelAll(); });
    connect(m_pStop, &QPushButton::clicked, this, &CWatchDlg::Stop);
    if (m_watch->WakeFd() >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_watch->WakeFd(), QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            m_watch->DrainNotices();
            Step();
        });
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CWatchDlg::Step);

    skin::ApplySkin(this);
    // The discs already in the drives are taken as they are seen first.
    QMetaObject::invokeMethod(
        this, [this] { Step(); }, Qt::QueuedConnection);
}

CWatchDlg::~CWatchDlg() {
    // The walking and ejecting threads end before anything they may call back into goes.
    m_notifier.reset();
    for (const auto& ejecting : m_ejecting) ejecting->thread.join();
    m_watch.reset();
}

void CWatchDlg::Done(scan::HandledDisc& disc, std::optional<std::string> ejectProblem) {
    if (ejectProblem) {
        disc.ejectAsked = true;
        disc.ejectProblem = std::move(*ejectProblem);
    }
    m_watch->Finish(disc, false);
    m_pLog->addItem(ToQString(scan::LogLine(disc)));
    m_pLog->scrollToBottom();
}

void CWatchDlg::Step() {
    // A question about a known disc runs the event loop: what wakes the watch meanwhile waits for it.
    if (m_bStepping || !m_watch) return;
    m_bStepping = true;
    for (auto it = m_ejecting.begin(); it != m_ejecting.end();) {
        if (!(*it)->done.load()) {
            ++it;
            continue;
        }
        (*it)->thread.join();
        Done((*it)->disc, std::move((*it)->problem));
        it = m_ejecting.erase(it);
    }
    std::vector<scan::HandledDisc> handled = m_watch->Step(m_doc);
    for (scan::HandledDisc& disc : handled) {
        // Saved before the tray opens: a disc in the person's hand is a disc on file.
        // Once a save failed, no disc is on file any more.
        const bool saved = !disc.changed || (!m_bSaveFailed && m_save());
        if (!saved && !m_bSaveFailed) {
            // The save said why; the discs added stay in the window's catalogue, to be saved elsewhere.
            m_bSaveFailed = true;
            m_messages.Tell("No more discs are taken: the catalogue could not be saved.",
                            msg::Icon::Exclamation);
            Stop();  // never closes here: a step is under way
        }
        if (disc.outcome == scan::HandledDisc::Outcome::Updated && m_onUpdated) m_onUpdated();
        // A disc that is not on file stays in its drive.
        if (!saved || !m_watch->WantsEject(disc)) {
            Done(disc);
            continue;
        }
        // The drive shows the disc done while its tray opens.
        m_watch->Finish(disc, false);
        auto ejecting = std::make_unique<Ejecting>();
        ejecting->disc = disc;
        Ejecting* tray = ejecting.get();
        try {
            tray->thread = std::thread([this, tray] {
                tray->problem = m_watch->Eject(tray->disc);
                tray->done.store(true);
                QMetaObject::invokeMethod(
                    this, [this] { Step(); }, Qt::QueuedConnection);
            });
        } catch (const std::system_error&) {
            // No thread to be had: the tray opens here, with the window waiting for it.
            Done(tray->disc, m_watch->Eject(tray->disc));
            continue;
        }
        m_ejecting.push_back(std::move(ejecting));
    }
    ShowDrives();
    m_bStepping = false;
    if (m_bStopping && Idle()) {
        accept();
        return;
    }
    m_timer.start(m_watch->Interval());
}

void CWatchDlg::ShowDrives() {
    const std::vector<scan::DriveStatus> drives = m_watch->Drives();
    m_bShowing = true;
    m_pDrives->setRowCount(static_cast<int>(drives.size()));
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const int row = static_cast<int>(i);
        const scan::DriveStatus& drive = drives[i];
        const QString texts[] = {
            ToQString(drive.root), ToQString(scan::StatusText(drive)),
            drive.state == scan::DriveStatus::State::Reading ? ToQString(drive.label) : QString()};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = m_pDrives->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                m_pDrives->setItem(row, column, item);
            }
            const bool editable = column == kLabelColumn &&
                                  drive.state == scan::DriveStatus::State::Reading && !drive.label.empty();
            // A label being typed over is left as the person has it until the edit ends: touching the item
            // at all (its flags included) would put the old text back into the editor. Once its disc is
            // no longer read, the edit is too late and closes.
            if (column == kLabelColumn && m_pDrives->isPersistentEditorOpen(item)) {
                if (editable) continue;
                m_pDrives->closePersistentEditor(item);
            }
            const Qt::ItemFlags flags = editable
                                            ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                            : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (item->flags() != flags) item->setFlags(flags);
            if (item->text() != texts[column]) item->setText(texts[column]);
        }
    }
    m_bShowing = false;
}

void CWatchDlg::LabelEdited(QTableWidgetItem* item) {
    if (m_bShowing || item->column() != kLabelColumn) return;
    const QTableWidgetItem* drive = m_pDrives->item(item->row(), kDriveColumn);
    if (!drive) return;
    const std::string why = m_watch->SetLabel(FromQString(drive->text()), FromQString(item->text()));
    if (!why.empty()) m_messages.Tell(why, msg::Icon::Exclamation);
    ShowDrives();
}

bool CWatchDlg::AskUpdate(const scan::Arrival& arrival) {
    std::string text =
        arrival.medium.root + ": the disc is already catalogued as \"" + arrival.knownLabel + "\"";
    if (!arrival.knownLocation.empty()) text += ", kept in " + arrival.knownLocation;
    text += ".\n\nUpdate it from this disc? No skips the disc.";
    return m_messages.Show({text, {}, msg::Buttons::YesNo, msg::Icon::Information}) == msg::Answer::Yes;
}

bool CWatchDlg::Idle() const {
    return !m_bStepping && !m_watch->Busy() && m_ejecting.empty();
}

void CWatchDlg::Stop() {
    m_watch->StopLooking();
    m_bStopping = true;
    m_pStop->setEnabled(false);
    if (Idle()) accept();
}

bool CWatchDlg::HoldsClose() {
    if (!m_watch->Busy() && !m_bStepping) {
        m_watch->StopLooking();
        if (m_ejecting.empty()) return false;
        // A tray still opening is waited for without a question: the window closes once it is open.
        m_bStopping = true;
        m_bCloseAsked = true;
        return true;
    }
    // Asked once; after a Yes the disc under way is cancelled and the window closes once it has stopped.
    if (m_bCloseAsked) return true;
    if (m_messages.Show({scan::kStopWalkQuestion, {}, msg::Buttons::YesNo, msg::Icon::Exclamation}) !=
        msg::Answer::Yes)
        return true;
    m_bCloseAsked = true;
    m_watch->CancelAll();
    Stop();
    return true;
}

bool CWatchDlg::CloseForWindow() {
    return close() || m_bCloseAsked;
}

void CWatchDlg::closeEvent(QCloseEvent* event) {
    if (HoldsClose()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CWatchDlg::reject() {
    if (!HoldsClose()) QDialog::reject();
}
