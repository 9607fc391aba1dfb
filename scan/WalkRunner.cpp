#include "scan/WalkRunner.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <thread>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/EntryStore.h"
#include "docview/Messages.h"
#include "res/Texts.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CImageLabelsDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"
#include "scan/ImageBatch.h"

struct WalkRunner::Progress {
    std::mutex lock;
    std::string subject;  // the folder or image being read
    std::size_t entries = 0;
    std::string step;  // "2 of 5" while many images are read

    void Set(std::string_view now, std::size_t count) {
        const std::lock_guard guard(lock);
        subject = now;
        entries = count;
    }
};

namespace {
constexpr const char* kStopWalkQuestion = "Stop cataloguing the disc?";
constexpr int kProgressPollMs = 100;
constexpr int kProgressTextWidth = 480;
}  // namespace

WalkRunner::WalkRunner(CKavrelDoc& doc, IMessages& messages, QWidget* window)
    : QObject(window), m_doc(doc), m_messages(messages), m_pWindow(window) {}

WalkRunner::~WalkRunner() = default;

void WalkRunner::Request(std::function<void()> request) {
    m_gate.Run(std::move(request));
}

void WalkRunner::Cancel() {
    if (m_bWalking) m_cancel = true;
}

bool WalkRunner::HoldsClose(std::function<void()> close) {
    if (!m_bWalking) return false;
    // Asked once; after a Yes the close waits for the walk to unwind, then goes on as usual.
    if (m_bCloseWaiting) return true;
    const msg::Answer answer =
        m_messages.Show({kStopWalkQuestion, {}, msg::Buttons::YesNo, msg::Icon::Exclamation});
    if (answer != msg::Answer::Yes) return true;
    Cancel();
    m_bCloseWaiting = true;
    Request([this, close = std::move(close)] {
        m_bCloseWaiting = false;
        close();
    });
    return true;
}

void WalkRunner::OnCreateImage() {
    CCreateImageDlg dlg(m_pWindow);
    // A drive may have gone since start-up; refusing the command is enough, the catalogue stays usable.
    if (!dlg.HasDrives()) {
        m_messages.Tell(scan::kNoDriveMessage);
        return;
    }
    if (dlg.DoModal() != QDialog::Accepted) return;
    m_strDiscLabel = dlg.m_strLabel;
    if (!scan::IsLabelAccepted(m_strDiscLabel)) {
        m_messages.Tell(scan::kBadLabelMessage);
        return;
    }
    // Held until the disc is in and the views are told: a catalogue opened meanwhile would get the disc,
    // and hint::kDiscAdded would give its tree a node it has no entries for.
    const DocumentGate::Holder hold(m_gate);
    scan::DiscWalker walker(m_strDiscLabel);
    EntryStore walked;
    if (!Walk(walker, dlg.m_strDrive, walked)) return;
    if (!walker.Refusal().empty()) {
        m_messages.Tell(scan::ImageRefusedMessage(walker.Image(), walker.Refusal()), msg::Icon::Stop);
        return;
    }
    if (walker.RanOutOfMemory()) m_messages.Tell("Out of memory", msg::Icon::Stop);
    scan::FinishCreateImage(m_doc, m_messages, m_strDiscLabel, walked);
}

void WalkRunner::OnCatalogueImages(const std::vector<std::string>& images) {
    if (images.empty()) return;
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(m_doc.Entries(), images);
    std::vector<std::string> labels;
    for (const scan::ImageJob& job : jobs) labels.push_back(job.label);
    // The list stays with the labels as typed until every one of them is accepted, or the person cancels.
    for (;;) {
        CImageLabelsDlg dlg(images, labels, m_pWindow);
        if (dlg.DoModal() != QDialog::Accepted) return;
        labels = dlg.Labels();
        if (std::all_of(labels.begin(), labels.end(), scan::IsLabelAccepted)) break;
        m_messages.Tell(scan::kBadLabelMessage);
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i].label = labels[i];

    // Held until every disc is in and the views are told, as for one disc.
    const DocumentGate::Holder hold(m_gate);
    const bool completed =
        RunWithProgress(tr("Catalogue Disc Images"), images.front(), [&](Progress& progress) {
            return scan::WalkImages(jobs, &m_cancel, [&](std::size_t job, std::size_t entries) {
                {
                    const std::lock_guard guard(progress.lock);
                    progress.subject = jobs[job].path;
                    progress.entries = entries;
                    progress.step = std::to_string(job + 1) + " of " + std::to_string(jobs.size());
                }
                if (m_walkListener) m_walkListener(jobs[job].path, entries);
            });
        });
    scan::ImageBatchResult result = scan::AddImageDiscs(m_doc, jobs);
    result.cancelled = !completed;
    const bool refused =
        std::any_of(jobs.begin(), jobs.end(), [](const scan::ImageJob& job) { return !job.problem.empty(); });
    m_messages.Tell(scan::ImageBatchSummary(jobs, result),
                    refused ? msg::Icon::Exclamation : msg::Icon::None);
}

bool WalkRunner::Walk(scan::DiscWalker& walker, const std::string& drive, EntryStore& walked) {
    return RunWithProgress(tr("Create Image file"), drive, [&](Progress& progress) {
        walker.SetCancelFlag(&m_cancel);
        walker.SetProgress([&](std::string_view folder, std::size_t entries) {
            progress.Set(folder, entries);
            if (m_walkListener) m_walkListener(folder, entries);
        });
        return walker.Walk(drive, walked);
    });
}

bool WalkRunner::RunWithProgress(const QString& title, const std::string& subject,
                                 const std::function<bool(Progress& progress)>& work) {
    Progress progress;
    progress.subject = subject;
    std::atomic<bool> finished{false};
    bool completed = false;
    m_cancel = false;

    QEventLoop loop;
    QProgressDialog dialog(m_pWindow);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setRange(0, 0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(static_cast<int>(m_progressDelay.count()));
    dialog.setMinimumWidth(kProgressTextWidth + 40);
    dialog.setLabelText(tr("Reading %1").arg(ToQString(subject)));
    connect(&dialog, &QProgressDialog::canceled, &loop, [this] { m_cancel = true; });

    QTimer poll;
    poll.setInterval(kProgressPollMs);
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (dialog.wasCanceled()) m_cancel = true;
        const std::lock_guard guard(progress.lock);
        // Deep folders would stretch the window past the screen; the middle of the path goes first.
        const QString shown =
            dialog.fontMetrics().elidedText(ToQString(progress.subject), Qt::ElideMiddle, kProgressTextWidth);
        const QString count = progress.step.empty()
                                  ? tr("%1 entries so far").arg(static_cast<qulonglong>(progress.entries))
                                  : tr("Image %1, %2 entries so far")
                                        .arg(ToQString(progress.step))
                                        .arg(static_cast<qulonglong>(progress.entries));
        dialog.setLabelText(tr("Reading %1\n%2").arg(shown, count));
    });
    poll.start();

    m_bWalking = true;
    std::thread worker([&] {
        completed = work(progress);
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Until the progress window shows, the window keeps painting but input waits; once it shows, it is
    // window-modal and blocks the window itself. What arrives by other roads (a second start, a drop, a
    // disc's arrival, a timer) waits at the gate, which the caller holds.
    QTimer::singleShot(m_progressDelay, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        dialog.show();
        while (!finished) loop.exec();
    }
    worker.join();
    m_bWalking = false;
    dialog.hide();
    return completed && !m_cancel;
}
