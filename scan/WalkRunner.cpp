#include "scan/WalkRunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/EntryStore.h"
#include "docview/DocumentGate.h"
#include "docview/Messages.h"
#include "platform/Tuning.h"
#include "res/Texts.h"
#include "scan/CCreateImageDlg.h"
#include "scan/CImageLabelsDlg.h"
#include "scan/CUpdateDiscDlg.h"
#include "scan/CVerifyReportDlg.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"
#include "scan/ImageBatch.h"
#include "scan/UpdateDisc.h"
#include "scan/VerifyDisc.h"

struct WalkRunner::Progress {
    std::mutex lock;
    std::string subject;                  // the folder or image being read
    std::size_t image = 0;                // the image under way, from 0, while many images are read
    std::atomic<std::size_t> entries{0};  // told far more often than the rest, so without the lock
    // While checksums are read: the bytes read so far and all there are to read (of the image under way).
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<std::uint64_t> bytesTotal{0};

    void SetBytes(std::uint64_t read, std::uint64_t total) {
        bytesTotal = total;
        bytesRead = read;
    }

    void Set(std::string_view now, std::size_t count) {
        entries = count;
        const std::lock_guard guard(lock);
        if (subject != now) subject = now;
    }
};

namespace {
constexpr int kProgressPollMs = tuning::kProgressPollMs;
constexpr int kProgressTextWidth = 480;
constexpr int kBytesBar = 1000;  // the bar's steps while bytes are read

// A count as people read it where they are: "615,378" or "615.378".
QString Grouped(std::size_t count) {
    return QLocale().toString(static_cast<qlonglong>(count));
}

// Bytes as people read them at a glance: "412 MB", "2.1 GB" (powers of 1000, as discs are sold).
QString ByteText(std::uint64_t bytes) {
    static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
    if (bytes < 1000) return QStringLiteral("%1 bytes").arg(Grouped(bytes));
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(QLocale().toString(value, 'f', value < 9.95 ? 1 : 0),
                                       QLatin1String(kUnits[unit]));
}

// The input a person gives a window; a close request, a paint or a drop (which waits at the gate) is none.
bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return true;
        default:
            return false;
    }
}
}  // namespace

WalkRunner::WalkRunner(CKavrelDoc& doc, IMessages& messages, DocumentGate& gate, QWidget* window)
    : QObject(window), m_doc(doc), m_messages(messages), m_gate(gate), m_pWindow(window) {}

WalkRunner::~WalkRunner() = default;

void WalkRunner::Cancel() {
    if (m_bWalking) m_cancel = true;
}

bool WalkRunner::HoldsClose(std::function<void()> close) {
    if (!m_bWalking) return false;
    // Asked once; after a Yes the close waits for the walk to unwind, then goes on as usual.
    if (m_bCloseWaiting) return true;
    const msg::Answer answer =
        m_messages.Show({scan::kStopWalkQuestion, {}, msg::Buttons::YesNo, msg::Icon::Exclamation});
    if (answer != msg::Answer::Yes) return true;
    Cancel();
    m_bCloseWaiting = true;
    m_gate.Run([this, close = std::move(close)] {
        m_bCloseWaiting = false;
        close();
    });
    return true;
}

// A walk that runs out of memory outside the walker's own guard (opening an image, say) lands here; the
// catalogue is left as it was.
void WalkRunner::OnCreateImage() try {
    std::string label;
    std::string drive;
    for (bool again = false;; again = true) {
        CCreateImageDlg dlg(m_pWindow, &m_doc.Entries());
        // A drive may have gone since start-up; refusing the command is enough, the catalogue stays usable.
        if (!dlg.HasDrives()) {
            m_messages.Tell(scan::kNoDriveMessage);
            return;
        }
        if (again) dlg.KeepTexts(label, drive);
        dlg.SetChecksums(m_bChecksums);
        if (dlg.DoModal() != QDialog::Accepted) return;
        label = dlg.m_strLabel;
        drive = dlg.m_strDrive;
        m_bChecksums = dlg.m_bChecksums;
        if (!scan::IsLabelAccepted(label)) {
            m_messages.Tell(scan::kBadLabelMessage);
            return;
        }
        if (!scan::ConfirmSameLabels(m_messages, m_doc.Entries(), {label})) continue;
        m_strDiscLabel = label;
        // Held until the disc is in and the views are told: a catalogue opened meanwhile would get the disc,
        // and hint::kDiscAdded would give its tree a node it has no entries for.
        const DocumentGate::Holder hold(m_gate);
        scan::DiscWalker walker(m_strDiscLabel);
        walker.SetChecksums(m_bChecksums);
        EntryStore walked;
        if (!Walk(walker, drive, walked, tr("Create Image file"))) return;
        if (!walker.Refusal().empty()) {
            m_messages.Tell(scan::WalkRefusedMessage(walker, drive), msg::Icon::Stop);
            continue;
        }
        if (walker.RanOutOfMemory()) m_messages.Tell("Out of memory", msg::Icon::Stop);
        scan::FinishCreateImage(m_doc, m_messages, m_strDiscLabel, walked, walker.Record());
        return;
    }
} catch (const std::bad_alloc&) {
    m_messages.Tell("Out of memory", msg::Icon::Stop);
}

// As for one disc, running out of memory adds none of the images.
void WalkRunner::OnCatalogueImages(const std::vector<std::string>& images) try {
    if (images.empty()) return;
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(m_doc.Entries(), images);
    // The labels come unique among the catalogue's discs and the batch: two images of one volume label, or
    // one a disc of the catalogue carries, would otherwise fall into one disc.
    std::vector<std::string> labels;
    for (const scan::ImageJob& job : jobs) labels.push_back(job.label);
    // The list stays with the labels as typed until every one of them is accepted, or the person cancels.
    for (;;) {
        CImageLabelsDlg dlg(images, labels, m_pWindow);
        dlg.SetChecksums(m_bChecksums);
        if (dlg.DoModal() != QDialog::Accepted) return;
        labels = dlg.Labels();
        m_bChecksums = dlg.Checksums();
        if (!std::all_of(labels.begin(), labels.end(), scan::IsLabelAccepted)) {
            m_messages.Tell(scan::kBadLabelMessage);
            continue;
        }
        if (scan::ConfirmSameLabels(m_messages, m_doc.Entries(), labels)) break;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i].label = labels[i];

    // Held until every disc is in and the views are told, as for one disc.
    const DocumentGate::Holder hold(m_gate);
    const bool completed =
        RunWithProgress(tr("Catalogue Disc Images"), images.front(), jobs.size(), [&](Progress& progress) {
            return scan::WalkImages(
                jobs, &m_cancel,
                [&](std::size_t job, std::size_t entries) {
                    progress.entries = entries;
                    if (job != progress.image || entries == 0) {
                        progress.SetBytes(0, 0);
                        const std::lock_guard guard(progress.lock);
                        progress.image = job;
                        progress.subject = jobs[job].path;
                    }
                    if (m_walkListener) m_walkListener(jobs[job].path, entries);
                },
                m_bChecksums, ByteCounter(progress));
        });
    scan::ImageBatchResult result = scan::AddImageDiscs(m_doc, jobs);
    result.cancelled = !completed;
    const bool refused =
        std::any_of(jobs.begin(), jobs.end(), [](const scan::ImageJob& job) { return !job.problem.empty(); });
    m_messages.Tell(scan::ImageBatchSummary(jobs, result),
                    refused ? msg::Icon::Exclamation : msg::Icon::None);
} catch (const std::bad_alloc&) {
    m_messages.Tell("Out of memory", msg::Icon::Stop);
}

catalogue::Disc WalkRunner::OnUpdateDisc(const catalogue::Disc& disc) {
    // The comparison and its lists are as large as the disc: without room for them the catalogue stays as
    // it was, and says so.
    try {
        return UpdateDisc(disc);
    } catch (const std::bad_alloc&) {
        m_messages.Tell("Out of memory", msg::Icon::Stop);
        return {};
    }
}

bool WalkRunner::AskSource(const catalogue::Disc& disc, bool verify, std::string& source) {
    const std::string label(m_doc.Entries().Text(disc.label));
    for (;;) {
        CCreateImageDlg dlg(m_pWindow);
        if (verify)
            dlg.ForVerify(label, source);
        else
            dlg.ForUpdate(label, source);
        if (dlg.DoModal() != QDialog::Accepted) return false;
        source = scan::UpdateSource(m_doc, disc, dlg.m_strDrive);
        if (!dlg.m_strDrive.empty()) return true;
        m_messages.Tell(scan::kNoSourceMessage);
    }
}

catalogue::Disc WalkRunner::UpdateDisc(const catalogue::Disc& disc) {
    if (disc.entries == 0) return {};
    const std::string label(m_doc.Entries().Text(disc.label));
    std::string source = scan::UpdateSource(m_doc, disc, {});
    for (;;) {
        if (!AskSource(disc, false, source)) return {};
        // Held until the disc is replaced: nothing else may change the catalogue under the walk.
        const DocumentGate::Holder hold(m_gate);
        // The dialogs are modal, but a disc's rows are only trusted as they stand now.
        const catalogue::Disc now = catalogue::DiscAt(m_doc.Entries(), disc.first);
        if (now.label != disc.label || now.first != disc.first) return {};
        scan::DiscWalker walker(label);
        // The walk's entries replace the disc's, checksums and read errors with them: read them again.
        walker.SetChecksums(scan::HasChecksums(m_doc.Entries(), now));
        EntryStore walked;
        if (!Walk(walker, source, walked, tr("Update Disc"))) return {};
        if (const std::string refusal = scan::UpdateRefusal(walker, source, walked); !refusal.empty()) {
            m_messages.Tell(refusal, msg::Icon::Stop);
            continue;
        }
        const scan::UpdatePlan plan = scan::MakePlan(m_doc, now, source, std::move(walked), walker.Record());
        if (!plan.Tells()) {
            m_messages.Tell(scan::kNothingDiffersMessage);
            return {};
        }
        // Files that could not be read are shown even when nothing else differs; there is nothing to apply.
        CUpdateDiscDlg confirm(m_doc.Entries(), plan, m_pWindow);
        if (confirm.exec() != QDialog::Accepted || !plan.Changes()) return {};
        const catalogue::Disc updated = scan::ApplyUpdate(m_doc, plan);
        if (updated.entries == 0) m_messages.Tell("Out of memory", msg::Icon::Stop);
        return updated;
    }
}

void WalkRunner::OnVerifyDisc(const catalogue::Disc& disc) {
    if (disc.entries == 0) return;
    std::string source = scan::UpdateSource(m_doc, disc, {});
    try {
        while (AskSource(disc, true, source))
            if (VerifyFrom(disc, source)) return;
    } catch (const std::bad_alloc&) {
        m_messages.Tell("Out of memory", msg::Icon::Stop);
    }
}

bool WalkRunner::VerifyFrom(const catalogue::Disc& disc, const std::string& source) {
    std::optional<scan::VerifyReport> report;
    std::string refusal;
    // Made while the gate is held: a request that waited there may change the rows the report names.
    std::vector<scan::VerifyLine> lines;
    std::string label;
    {
        // Held while the worker reads the catalogue's rows: nothing may change them under it.
        const DocumentGate::Holder hold(m_gate);
        const catalogue::Disc now = catalogue::DiscAt(m_doc.Entries(), disc.first);
        if (now.label != disc.label || now.first != disc.first) return true;
        RunWithProgress(tr("Verify Disc"), source, 0, [&](Progress& progress) {
            report = scan::VerifyDisc(m_doc, now, source, refusal, Watching(progress));
            return report.has_value();
        });
        // Stopped for a close the person confirmed: the window goes once the gate is free, without a report.
        if (m_bCloseWaiting) return true;
        if (report) lines = scan::DifferingLines(m_doc.Entries(), *report);
        label = m_doc.Entries().Text(disc.label);
    }
    if (!report) {
        m_messages.Tell(refusal, msg::Icon::Stop);
        return false;
    }
    if (!report->Differs()) {
        m_messages.Tell(scan::NothingDiffersText(*report));
        return true;
    }
    CVerifyReportDlg dlg(lines, report->Summary(), label, m_pWindow);
    dlg.exec();
    return true;
}

std::function<void(std::uint64_t, std::uint64_t)> WalkRunner::ByteCounter(Progress& progress) {
    return [this, &progress](std::uint64_t read, std::uint64_t total) {
        progress.SetBytes(read, total);
        if (m_byteListener) m_byteListener(read, total);
    };
}

scan::WalkWatch WalkRunner::Watching(Progress& progress) {
    scan::WalkWatch watch;
    watch.cancel = &m_cancel;
    watch.entries = [this, &progress](std::string_view folder, std::size_t entries) {
        progress.Set(folder, entries);
        if (m_walkListener) m_walkListener(folder, entries);
    };
    watch.bytes = ByteCounter(progress);
    return watch;
}

bool WalkRunner::Walk(scan::DiscWalker& walker, const std::string& drive, EntryStore& walked,
                      const QString& title) {
    return RunWithProgress(title, drive, 0, [&](Progress& progress) {
        walker.Watch(Watching(progress));
        return walker.Walk(drive, walked);
    });
}

bool WalkRunner::RunWithProgress(const QString& title, const std::string& subject, std::size_t images,
                                 const std::function<bool(Progress& progress)>& work) {
    Progress progress;
    progress.subject = subject;
    std::atomic<bool> finished{false};
    bool completed = false;
    m_cancel = false;

    QEventLoop loop;
    QProgressDialog dialog(m_pWindow);
    dialog.setWindowTitle(title);
    // Not modal: a window-modal one would make Qt drop the window manager's close request for the window.
    // The window takes no input all the same (eventFilter).
    dialog.setWindowModality(Qt::NonModal);
    // Many images: the bar counts those done. One disc: how much is left is not known, so it only moves.
    dialog.setRange(0, static_cast<int>(images));
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
        const QString count = Grouped(progress.entries);
        const std::uint64_t total = progress.bytesTotal;
        const std::uint64_t read = std::min<std::uint64_t>(progress.bytesRead, total);
        // Told only once the walk has listed every file, so the entries counted are all there are.
        const QString bytes =
            total > 0 ? tr("\n%1 of %2 read").arg(ByteText(read), ByteText(total)) : QString();
        const std::lock_guard guard(progress.lock);
        // Deep folders would stretch the window past the screen; the middle of the path goes first. While
        // bytes are read the walk is done: what is read is the whole source, not its last folder.
        const QString shown =
            dialog.fontMetrics().elidedText(ToQString(total > 0 && images == 0 ? subject : progress.subject),
                                            Qt::ElideMiddle, kProgressTextWidth);
        if (images == 0) {
            if (total > 0) {
                // How much is left is known now: the bar follows the bytes.
                dialog.setMaximum(kBytesBar);
                dialog.setValue(static_cast<int>(read * kBytesBar / total));
                dialog.setLabelText(tr("Reading %1\n%2 entries%3").arg(shown, count, bytes));
                return;
            }
            dialog.setLabelText(tr("Reading %1\n%2 entries so far").arg(shown, count));
            return;
        }
        dialog.setValue(static_cast<int>(progress.image));
        dialog.setLabelText(tr("Reading %1\nImage %2 of %3, %4 entries so far%5")
                                .arg(shown, Grouped(progress.image + 1), Grouped(images), count, bytes));
    });
    poll.start();

    m_bWalking = true;
    QCoreApplication::instance()->installEventFilter(this);
    // What the work throws (memory running out most of all) is thrown again here, once the window is
    // itself again: on the worker it would end the program.
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            completed = work(progress);
        } catch (...) {
            failure = std::current_exception();
        }
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // Until the progress window shows, the window keeps painting but input waits; once it shows, the window
    // takes none (eventFilter). What arrives by other roads (a second start, a drop, a disc's arrival, a
    // timer) waits at the gate, which the caller holds.
    QTimer::singleShot(m_progressDelay, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        dialog.show();
        while (!finished) loop.exec();
    }
    worker.join();
    QCoreApplication::instance()->removeEventFilter(this);
    m_bWalking = false;
    dialog.hide();
    if (failure) std::rethrow_exception(failure);
    return completed && !m_cancel;
}

bool WalkRunner::eventFilter(QObject* watched, QEvent* event) {
    if (!m_bWalking || !IsInput(event->type())) return QObject::eventFilter(watched, event);
    // A shortcut goes to its action or shortcut object; the widget it belongs to is the first one above it.
    QObject* owner = watched;
    while (owner && !owner->isWidgetType()) owner = owner->parent();
    if (owner && static_cast<QWidget*>(owner)->window() == m_pWindow) return true;
    return QObject::eventFilter(watched, event);
}
