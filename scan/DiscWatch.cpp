#include "scan/DiscWatch.h"

#include <algorithm>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/FormatSize.h"
#include "platform/Tuning.h"
#include "platform/VolumeDetails.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscDetails.h"
#include "scan/DiscWalker.h"
#include "scan/ImageBatch.h"
#include "scan/UpdateDisc.h"

namespace scan {

namespace {

constexpr const char* kTakenOut = "the disc was taken out before it was read to its end";

// The machine's drives through the platform's calls.
class MachineDriveSet : public WatchedDrives {
public:
    MachineDriveSet() : m_notices(platform::CreateMediaNotices()) {}
    std::vector<platform::DriveMedium> Look() override { return platform::LookAtDrives(); }
    std::string Eject(const platform::DriveMedium& medium) override { return platform::EjectDisc(medium); }
    int WakeFd() const override { return m_notices ? m_notices->Fd() : -1; }
    void Drain() override {
        if (m_notices) m_notices->Drain();
    }

private:
    std::unique_ptr<platform::MediaNotices> m_notices;
};

// What tells one disc from the next in a drive; empty while it holds none. A drive that names no identity
// still tells discs apart by where they are read from.
std::string DiscKey(const platform::DriveMedium& medium) {
    if (!medium.HasDisc()) return {};
    return medium.identity.empty() ? medium.source : medium.identity;
}

std::string InQuotes(const std::string& text) {
    return "\"" + text + "\"";
}

// A record as the catalogue keeps it: a drive of the machine is read again through its root, whatever it
// was read from this time (a mount point that changes from disc to disc, or the device itself).
void KeepAsCatalogued(catalogue::DiscRecord& record, const platform::DriveMedium& medium) {
    if (medium.device.empty()) return;
    record.source = medium.root;
    if (record.device.empty()) record.device = medium.device;
}

HandledDisc Handled(HandledDisc::Outcome outcome, const platform::DriveMedium& medium, std::string label,
                    const catalogue::DiscRecord& record) {
    HandledDisc disc;
    disc.outcome = outcome;
    disc.medium = medium;
    disc.label = std::move(label);
    disc.volumeLabel = record.volumeLabel;
    return disc;
}

HandledDisc Refused(HandledDisc disc, std::string why) {
    disc.outcome = HandledDisc::Outcome::Refused;
    disc.why = std::move(why);
    disc.changed = false;
    return disc;
}

DriveStatus WaitingIn(const std::string& root) {
    DriveStatus status;
    status.root = root;
    return status;
}

std::string EjectSuffix(bool asked, const std::string& problem) {
    if (!asked) return {};
    return problem.empty() ? ", ejected" : ", not ejected: " + problem;
}

}  // namespace

std::unique_ptr<WatchedDrives> MachineDrives() {
    return std::make_unique<MachineDriveSet>();
}

std::chrono::milliseconds LookInterval(const std::vector<platform::DriveMedium>& media) {
    const bool mapped = std::ranges::any_of(media, [](const auto& medium) { return medium.device.empty(); });
    return std::chrono::milliseconds(mapped ? tuning::kMappedDriveLookMs : tuning::kDriveLookMs);
}

std::vector<DriveTracker::Event> DriveTracker::Look(const std::vector<platform::DriveMedium>& media,
                                                    const std::function<bool(const std::string&)>& busy) {
    std::vector<Event> events;
    for (const platform::DriveMedium& medium : media) {
        if (busy && busy(medium.root)) continue;
        Seen& seen = m_seen[medium.root];
        if (!medium.problem.empty()) {
            if (medium.problem != seen.problem) events.push_back({Change::Unreadable, medium});
            seen = {{}, medium.problem};
            continue;
        }
        seen.problem.clear();
        if (!medium.HasDisc()) {
            if (!seen.disc.empty()) events.push_back({Change::Emptied, medium});
            seen.disc.clear();
            continue;
        }
        const std::string disc = DiscKey(medium);
        if (disc == seen.disc) continue;
        events.push_back({Change::Arrived, medium});
        seen.disc = disc;
    }
    return events;
}

void DriveTracker::Forget(const std::string& root) {
    m_seen.erase(root);
}

catalogue::DiscRecord ReadArrivalRecord(const platform::DriveMedium& medium) {
    catalogue::DiscRecord record = ReadDiscRecord(medium.source);
    KeepAsCatalogued(record, medium);
    return record;
}

std::optional<catalogue::Disc> KnownDisc(const CKavrelDoc& doc, const catalogue::DiscRecord& record) {
    // Without a serial, a label alone would take every disc called "CDROM" for one another.
    if (record.serial.empty()) return std::nullopt;
    for (const catalogue::Disc& disc : catalogue::DiscNodes(doc.Entries())) {
        const catalogue::DiscRecord* kept = doc.RecordOf(disc);
        if (kept && kept->serial == record.serial && kept->volumeLabel == record.volumeLabel) return disc;
    }
    return std::nullopt;
}

Arrival PrepareArrival(const CKavrelDoc& doc, const platform::DriveMedium& medium,
                       catalogue::DiscRecord record, const std::vector<std::string>& taken) {
    Arrival arrival{medium, std::move(record), {}, {}, {}, {}};
    // A folder inside a file system carries that file system's serial and label, which every other folder
    // on it shares: it would be taken for any of them.
    if (platform::NamesWholeVolume(medium.source)) arrival.known = KnownDisc(doc, arrival.record);
    if (arrival.known) {
        arrival.knownLabel = std::string(doc.Entries().Text(arrival.known->label));
        arrival.knownLocation = doc.RecordOf(*arrival.known)->location;
    }
    const std::string proposed =
        arrival.record.volumeLabel.empty() ? DefaultImageLabel(medium.source) : arrival.record.volumeLabel;
    arrival.label = catalogue::UniqueLabel(doc.Entries(), proposed, taken);
    return arrival;
}

WalkedDisc WalkArrival(const platform::DriveMedium& medium, const std::string& label, bool forUpdate,
                       bool checksums, const std::atomic<bool>* cancel,
                       const std::function<void(std::size_t)>& progress) {
    WalkedDisc walked;
    DiscWalker walker(label);
    walker.SetCancelFlag(cancel);
    walker.SetChecksums(checksums);
    if (progress)
        walker.SetProgress([&progress](std::string_view, std::size_t entries) { progress(entries); });
    if (!walker.Walk(medium.source, walked.entries)) {
        walked.cancelled = true;
        walked.entries = EntryStore{};
        return walked;
    }
    if (forUpdate)
        walked.refusal = UpdateRefusal(walker, medium.source, walked.entries);
    else if (!walker.Refusal().empty())
        walked.refusal = WalkRefusedMessage(walker, medium.source);
    else if (walker.RanOutOfMemory())
        walked.refusal = "Out of memory";
    else if (walked.entries.Size() == 0)
        walked.refusal = "Nothing was read from " + medium.source;
    if (!walked.refusal.empty()) {
        walked.entries = EntryStore{};
        return walked;
    }
    walked.record = walker.Record();
    KeepAsCatalogued(walked.record, medium);
    return walked;
}

HandledDisc AddArrival(CKavrelDoc& doc, const Arrival& arrival, WalkedDisc walked, const std::string& label) {
    HandledDisc disc = Handled(HandledDisc::Outcome::Added, arrival.medium, label, arrival.record);
    if (!IsLabelAccepted(label)) return Refused(std::move(disc), kBadLabelMessage);
    // Appended under the label of a disc it came to follow, it would lengthen that disc.
    disc.label = catalogue::UniqueLabel(doc.Entries(), label);
    EntryStore& entries = walked.entries;
    for (std::size_t i = 0; i < entries.Size(); ++i)
        if (entries.Label(i) != disc.label) entries.SetLabel(i, disc.label);
    const std::size_t first = doc.GetEntryCount();
    disc.entries = AppendWalked(doc, entries, walked.record);
    if (disc.entries < entries.Size()) {
        // Part of a disc would pass for the whole of it.
        doc.EditEntries().Truncate(first);
        doc.EditDiscRecords().Truncate(first);
        disc.entries = 0;
        return Refused(std::move(disc), "Out of memory");
    }
    disc.changed = true;
    AnnounceDisc(doc, disc.label);
    return disc;
}

HandledDisc UpdateArrival(CKavrelDoc& doc, const Arrival& arrival, WalkedDisc walked) {
    // Found again now: the window may have moved, renamed or deleted discs since the arrival.
    const std::optional<catalogue::Disc> known = KnownDisc(doc, arrival.record);
    if (!known) return AddArrival(doc, arrival, std::move(walked), arrival.label);
    HandledDisc disc = Handled(HandledDisc::Outcome::Updated, arrival.medium,
                               std::string(doc.Entries().Text(known->label)), arrival.record);
    disc.knownLocation = doc.RecordOf(*known)->location;
    // The walk's rows take the disc's label as they replace its entries.
    const std::string source = walked.record.source;
    const UpdatePlan plan =
        MakePlan(doc, *known, source, std::move(walked.entries), std::move(walked.record));
    disc.changes = PlanCounts(plan);
    if (ApplyUpdate(doc, plan).entries == 0) return Refused(std::move(disc), "Out of memory");
    // New checksums alone change the catalogue too, and must be saved with it.
    disc.changed = plan.Changes();
    return disc;
}

std::string LogLine(const HandledDisc& disc) {
    using Outcome = HandledDisc::Outcome;
    std::string line = disc.medium.root + ": ";
    switch (disc.outcome) {
        case Outcome::Added:
            line += InQuotes(disc.label) + " " + catalogue::FormatCount(disc.entries, "entry", "entries") +
                    " added";
            break;
        case Outcome::Updated:
        case Outcome::Skipped:
            line += InQuotes(disc.volumeLabel) + " already catalogued as " + InQuotes(disc.label);
            if (!disc.knownLocation.empty()) line += ", kept in " + disc.knownLocation;
            line += disc.outcome == Outcome::Skipped ? ": skipped" : ": updated: " + disc.changes;
            break;
        case Outcome::Refused:
        case Outcome::Unreadable:
            if (!disc.label.empty()) line += InQuotes(disc.label) + " ";
            line += "refused: " + disc.why;
            break;
        case Outcome::Cancelled:
            if (!disc.label.empty()) line += InQuotes(disc.label) + " ";
            line += "cancelled";
            break;
    }
    return line + EjectSuffix(disc.ejectAsked, disc.ejectProblem);
}

std::string StatusText(const DriveStatus& status) {
    using State = DriveStatus::State;
    const std::string eject = EjectSuffix(status.ejectAsked, status.ejectProblem);
    switch (status.state) {
        case State::Waiting:
            return "waiting for a disc";
        case State::Reading:
            return "reading " + (status.label.empty() ? std::string() : InQuotes(status.label) + " ") + "(" +
                   catalogue::FormatCount(status.entries, "entry", "entries") + ")";
        case State::Done:
            return "done (" + catalogue::FormatCount(status.entries, "entry", "entries") + eject + ")";
        case State::Updated:
            return "updated (" + status.detail + eject + ")";
        case State::Skipped:
            return "skipped (known" + eject + ")";
        case State::Refused:
            return "refused (" + status.detail + eject + ")";
        case State::Cancelled:
            return "cancelled";
    }
    return {};
}

// One disc under way: first its record is read, then (unless it is skipped) it is walked, each on a thread
// of its own so that a slow drive never holds up the catalogue's thread.
struct DiscWatch::Job {
    enum class Phase { Identifying, Walking };
    platform::DriveMedium medium;
    Phase phase = Phase::Identifying;
    catalogue::DiscRecord record;  // read by the identifying thread
    Arrival arrival;
    WalkedDisc walked;  // by the walking thread
    std::string label;  // what a new disc is added under; the window may change it meanwhile
    bool labelEdited = false;
    bool update = false;
    bool takenOut = false;
    std::string failure;  // what stopped a thread
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> entries{0};
    std::atomic<bool> ended{false};
    std::thread thread;
};

DiscWatch::DiscWatch(WatchedDrives& drives, WatchOptions options, std::function<void()> wake)
    : m_drives(drives), m_options(options), m_wake(std::move(wake)) {}

DiscWatch::~DiscWatch() {
    CancelAll();
    for (const auto& job : m_jobs)
        if (job->thread.joinable()) job->thread.join();
}

void DiscWatch::Start(Job& job, std::function<void(Job&)> work) {
    job.ended.store(false);
    try {
        job.thread = std::thread([this, &job, work = std::move(work)] {
            try {
                work(job);
            } catch (const std::bad_alloc&) {
                job.failure = "Out of memory";
            } catch (const std::exception& error) {
                job.failure = error.what();
            }
            job.ended.store(true, std::memory_order_release);
            if (m_wake) m_wake();
        });
    } catch (const std::system_error& error) {
        job.failure = error.what();
        job.ended.store(true);
    }
}

std::vector<std::string> DiscWatch::LabelsUnderWay() const {
    std::vector<std::string> labels;
    for (const auto& job : m_jobs)
        if (!job->label.empty() && !job->update) labels.push_back(job->label);
    return labels;
}

DiscWatch::Job* DiscWatch::JobIn(const std::string& root) const {
    const auto found =
        std::ranges::find_if(m_jobs, [&root](const auto& job) { return job->medium.root == root; });
    return found == m_jobs.end() ? nullptr : found->get();
}

DriveStatus* DiscWatch::StatusOf(const std::string& root) {
    const auto found = std::ranges::find(m_status, root, &DriveStatus::root);
    return found == m_status.end() ? nullptr : &*found;
}

void DiscWatch::Identified(CKavrelDoc& doc, Job& job, std::vector<HandledDisc>& handled) {
    job.arrival = PrepareArrival(doc, job.medium, std::move(job.record), LabelsUnderWay());
    // Once stopped, nobody is asked: the known disc is left as it is.
    const bool update = job.arrival.known && !m_stopped &&
                        (m_options.askKnown ? m_options.askKnown(job.arrival) : m_options.updateKnown);
    // Cancelled or stopped while the person was asked: the disc is left as it is.
    if (job.arrival.known && update && (job.cancel.load() || m_stopped)) {
        handled.push_back(
            Handled(HandledDisc::Outcome::Cancelled, job.medium, job.arrival.knownLabel, job.arrival.record));
        return;
    }
    if (job.arrival.known && !update) {
        HandledDisc skipped =
            Handled(HandledDisc::Outcome::Skipped, job.medium, job.arrival.knownLabel, job.arrival.record);
        skipped.knownLocation = job.arrival.knownLocation;
        handled.push_back(std::move(skipped));
        return;
    }
    job.update = job.arrival.known.has_value();
    if (job.update)
        job.label = job.arrival.knownLabel;
    else if (!job.labelEdited)
        job.label = job.arrival.label;
    job.phase = Job::Phase::Walking;
    // The thread gets its own copies: the window may change the label while it walks.
    Start(job, [this, label = job.label, update = job.update, sums = m_options.checksums](Job& walking) {
        walking.walked = WalkArrival(walking.medium, label, update, sums, &walking.cancel,
                                     [this, &walking](std::size_t entries) {
                                         walking.entries.store(entries);
                                         if (m_listener) m_listener(walking.medium.root, entries);
                                     });
    });
}

HandledDisc DiscWatch::Walked(CKavrelDoc& doc, Job& job) {
    HandledDisc disc = Handled(HandledDisc::Outcome::Cancelled, job.medium, job.label, job.arrival.record);
    if (job.takenOut) {
        // The drive holds another disc now, or none: its tray is no longer this disc's to open.
        disc.medium.source.clear();
        return Refused(std::move(disc), kTakenOut);
    }
    if (job.cancel.load() || job.walked.cancelled) return disc;
    if (!job.failure.empty()) return Refused(std::move(disc), job.failure);
    if (!job.walked.refusal.empty()) return Refused(std::move(disc), job.walked.refusal);
    if (job.update) return UpdateArrival(doc, job.arrival, std::move(job.walked));
    return AddArrival(doc, job.arrival, std::move(job.walked), job.label);
}

std::vector<HandledDisc> DiscWatch::Step(CKavrelDoc& doc) {
    std::vector<HandledDisc> handled;
    // The drives are looked at before any walk that ended is applied: a disc taken out, or changed for
    // another, while it was read adds nothing, even when its walk ended just before this look.
    // Looked at when stopped too, while discs are still read: one taken out meanwhile must add nothing.
    std::vector<platform::DriveMedium> media;
    if (!m_stopped || !m_jobs.empty()) {
        media = m_drives.Look();
        m_interval = LookInterval(media);
        for (const platform::DriveMedium& medium : media) {
            Job* job = JobIn(medium.root);
            if (!job || job->takenOut || DiscKey(job->medium) == DiscKey(medium)) continue;
            job->takenOut = true;
            job->cancel.store(true);
            // Whatever is in the drive next is a new arrival, even the same disc put back.
            m_tracker.Forget(medium.root);
        }
    }
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        Job& job = **it;
        if (!job.ended.load(std::memory_order_acquire)) {
            ++it;
            continue;
        }
        if (job.thread.joinable()) job.thread.join();
        if (job.phase == Job::Phase::Identifying && !job.cancel.load() && !job.takenOut &&
            job.failure.empty()) {
            Identified(doc, job, handled);
            if (job.phase == Job::Phase::Walking) {
                ++it;
                continue;
            }
        } else {
            handled.push_back(Walked(doc, job));
        }
        it = m_jobs.erase(it);
    }
    if (m_stopped) return handled;

    std::vector<DriveStatus> status;
    for (const platform::DriveMedium& medium : media) {
        const DriveStatus* old = StatusOf(medium.root);
        status.push_back(old ? *old : WaitingIn(medium.root));
    }
    m_status = std::move(status);
    const auto busy = [this](const std::string& root) { return JobIn(root) != nullptr; };
    for (const DriveTracker::Event& event : m_tracker.Look(media, busy)) {
        if (event.change == DriveTracker::Change::Unreadable) {
            HandledDisc disc = Handled(HandledDisc::Outcome::Unreadable, event.medium, {}, {});
            disc.why = event.medium.problem;
            handled.push_back(std::move(disc));
        }
        if (event.change != DriveTracker::Change::Arrived) continue;
        auto job = std::make_unique<Job>();
        job->medium = event.medium;
        // Every drive of the look has its status by now.
        DriveStatus& shown = *StatusOf(event.medium.root);
        shown = WaitingIn(event.medium.root);
        shown.state = DriveStatus::State::Reading;
        Start(*job, [](Job& identifying) { identifying.record = ReadArrivalRecord(identifying.medium); });
        m_jobs.push_back(std::move(job));
    }
    return handled;
}

bool DiscWatch::WantsEject(const HandledDisc& disc) const {
    using Outcome = HandledDisc::Outcome;
    return m_options.eject && disc.medium.HasDisc() && disc.outcome != Outcome::Cancelled &&
           disc.outcome != Outcome::Unreadable;
}

void DiscWatch::Finish(HandledDisc& disc, bool eject) {
    using Outcome = HandledDisc::Outcome;
    if (eject && WantsEject(disc)) {
        disc.ejectAsked = true;
        disc.ejectProblem = m_drives.Eject(disc.medium);
    }
    DriveStatus* status = StatusOf(disc.medium.root);
    // The drive may be reading its next disc already (this one was taken out, or its tray was opened by
    // hand while the program waited on it): the state is that disc's.
    if (!status || JobIn(disc.medium.root)) return;
    *status = WaitingIn(disc.medium.root);
    status->ejectAsked = disc.ejectAsked;
    status->ejectProblem = disc.ejectProblem;
    switch (disc.outcome) {
        case Outcome::Added:
            status->state = DriveStatus::State::Done;
            status->entries = disc.entries;
            break;
        case Outcome::Updated:
            status->state = DriveStatus::State::Updated;
            status->detail = disc.changes;
            break;
        case Outcome::Skipped:
            status->state = DriveStatus::State::Skipped;
            break;
        case Outcome::Refused:
        case Outcome::Unreadable:
            status->state = DriveStatus::State::Refused;
            status->detail = disc.why;
            break;
        case Outcome::Cancelled:
            status->state = DriveStatus::State::Cancelled;
            break;
    }
    status->label = disc.label;
}

std::vector<DriveStatus> DiscWatch::Drives() const {
    std::vector<DriveStatus> drives = m_status;
    for (DriveStatus& drive : drives)
        if (const Job* job = JobIn(drive.root)) {
            drive.label = job->label;
            drive.entries = job->entries.load();
        }
    return drives;
}

std::string DiscWatch::SetLabel(const std::string& root, const std::string& label) {
    Job* const job = JobIn(root);
    if (!job || job->update) return "No new disc is being read in " + root;
    if (!IsLabelAccepted(label)) return kBadLabelMessage;
    job->label = label;
    job->labelEdited = true;
    return {};
}

void DiscWatch::Cancel(const std::string& root) {
    if (Job* const job = JobIn(root)) job->cancel.store(true);
}

void DiscWatch::CancelAll() {
    for (const auto& job : m_jobs) job->cancel.store(true);
}

}  // namespace scan
