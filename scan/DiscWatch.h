#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "platform/DriveMedia.h"

class CKavrelDoc;

// Cataloguing discs as they arrive in the drives, headless: tamberol-cli watch drives it from a blocking
// loop, the window from its event loop. Each disc is read on a thread of its own; the catalogue is changed
// only on the thread that calls DiscWatch::Step.
namespace scan {

// The drives as the watch reaches them; apart so that tests can make discs arrive, change, refuse and eject.
class WatchedDrives {
public:
    virtual ~WatchedDrives() = default;
    // Every drive, looked at now, in drive order.
    virtual std::vector<platform::DriveMedium> Look() = 0;
    // Opens the tray of the drive; empty when done, else why not.
    virtual std::string Eject(const platform::DriveMedium& medium) = 0;
    // A descriptor that becomes readable when a drive may have changed; -1 when there is none.
    virtual int WakeFd() const = 0;
    // Reads what made WakeFd() readable, so that it waits again.
    virtual void Drain() = 0;
};

// The machine's optical drives and mapped drives, with the system's media notices where there are any.
std::unique_ptr<WatchedDrives> MachineDrives();

// How long to wait for a notice before looking again (tuning::kMappedDriveLookMs, kDriveLookMs).
std::chrono::milliseconds LookInterval(const std::vector<platform::DriveMedium>& media);

// Which drives had a disc arrive (none before, or another disc than the last seen) and which went empty,
// from one look to the next. A disc is told once, however often it is seen; the first look tells every disc
// already in a drive.
class DriveTracker {
public:
    enum class Change { Arrived, Emptied, Unreadable };
    struct Event {
        Change change;
        platform::DriveMedium medium;
    };
    // What changed since the last look. Drives for which `busy` is true are passed over: what changed in
    // them is told at a later look, once they are not busy.
    std::vector<Event> Look(const std::vector<platform::DriveMedium>& media,
                            const std::function<bool(const std::string& root)>& busy = {});
    // Forgets what drive `root` held: whatever it holds at the next look arrives, even the disc seen last.
    void Forget(const std::string& root);

private:
    struct Seen {
        std::string disc;  // the identity of the disc last told; empty when the drive was empty
        std::string problem;
    };
    std::map<std::string, Seen> m_seen;
};

// What is known of a disc that arrived before it is walked.
struct Arrival {
    platform::DriveMedium medium;
    catalogue::DiscRecord record;          // as read from the disc before the walk
    std::optional<catalogue::Disc> known;  // the catalogued disc it is, if any
    std::string knownLabel;                // that disc's label
    std::string knownLocation;             // where that disc is kept, as its details say
    std::string label;                     // the label a new disc gets: its volume label, made unique
};

// The disc's record as read from `medium` before the walk, kept as it will be catalogued: for a drive of the
// machine its source is the drive's root, so that a later update reads the drive again.
catalogue::DiscRecord ReadArrivalRecord(const platform::DriveMedium& medium);

// The first catalogued disc whose details carry the same non-empty serial and the same volume label as
// `record`; none when there is no such disc.
std::optional<catalogue::Disc> KnownDisc(const CKavrelDoc& doc, const catalogue::DiscRecord& record);

// The arrival of the disc in `medium` whose record is `record`: the disc it is known as, and the label it
// gets otherwise (as a batch of images labels its discs) unique among the catalogue's discs and `taken`, the
// labels of the discs still under way.
Arrival PrepareArrival(const CKavrelDoc& doc, const platform::DriveMedium& medium,
                       catalogue::DiscRecord record, const std::vector<std::string>& taken);

// A disc as read for the watch: its entries and record, or why it adds nothing.
struct WalkedDisc {
    EntryStore entries;
    catalogue::DiscRecord record;
    std::string refusal;  // why nothing of it may be added; empty when it may
    bool cancelled = false;
};

// Walks the disc of `medium` (any thread) under `label`. `forUpdate` refuses what could not replace a
// catalogued disc (a folder that could not be listed); `progress` hears the entries so far.
WalkedDisc WalkArrival(const platform::DriveMedium& medium, const std::string& label, bool forUpdate,
                       bool checksums, const std::atomic<bool>* cancel,
                       const std::function<void(std::size_t entries)>& progress = {});

// What became of one disc.
struct HandledDisc {
    enum class Outcome { Added, Updated, Skipped, Refused, Cancelled, Unreadable };
    Outcome outcome = Outcome::Refused;
    platform::DriveMedium medium;
    std::string label;          // added under it, or the known disc's; empty when not known
    std::string volumeLabel;    // as the disc carries it
    std::string knownLocation;  // of the known disc
    std::size_t entries = 0;    // entries added
    std::string changes;        // an update's counts, "2 added, 0 removed, 1 changed, 0 moved"
    std::string why;            // why it was refused
    bool changed = false;       // the catalogue changed: save it before Finish
    bool ejectAsked = false;
    std::string ejectProblem;  // why the tray did not open, when it was asked to

    // A disc was taken care of, as a count of discs counts it: not one cancelled, nor a drive that could not
    // be looked at.
    bool Counts() const { return outcome != Outcome::Cancelled && outcome != Outcome::Unreadable; }
};

// Adds the walked disc at the end of the catalogue under `label`, which the window may have changed during
// the walk: refused when the label is not accepted, made unique again when another disc took it meanwhile.
// A disc that memory could not hold adds nothing.
HandledDisc AddArrival(CKavrelDoc& doc, const Arrival& arrival, WalkedDisc walked, const std::string& label);
// Puts the walk in place of the known disc's entries. A known disc that is no longer in the catalogue is
// added as a new disc under the arrival's label.
HandledDisc UpdateArrival(CKavrelDoc& doc, const Arrival& arrival, WalkedDisc walked);

// The line a disc handled leaves in the log, the same in the window and in tamberol-cli watch:
// E:\: "HOLIDAY" 1,234 entries added, ejected
// F:\: "X" already catalogued as "X", kept in Box 12: skipped
std::string LogLine(const HandledDisc& disc);

// One drive as the watch shows it.
struct DriveStatus {
    enum class State { Waiting, Reading, Done, Updated, Skipped, Refused, Cancelled };
    std::string root;
    State state = State::Waiting;
    std::string label;        // Reading: the label the disc will get (empty until the disc is identified)
    std::size_t entries = 0;  // Reading: entries so far; Done: entries added
    std::string detail;       // Updated: the counts; Refused: why
    bool ejectAsked = false;
    std::string ejectProblem;
};

// "waiting for a disc", "reading "LABEL" (12 entries)", "done (1,234 entries, ejected)", "skipped (known)",
// "refused (why)", "cancelled".
std::string StatusText(const DriveStatus& status);

// What the watch does with a disc.
struct WatchOptions {
    bool checksums = false;    // read every file for its checksum
    bool updateKnown = false;  // a known disc is walked again and updated; else it is skipped
    bool eject = false;        // open the tray once a disc is handled
    // Asked, on the catalogue's thread, whether a known disc is updated (true) or skipped; when not given,
    // `updateKnown` decides. A window asks the person here.
    std::function<bool(const Arrival& arrival)> askKnown;
};

// The watch over every drive: two discs in two drives are read at once. Call everything on one thread (the
// catalogue's); only `wake` is called from the walking threads.
//
// A caller waits for WakeFd() to become readable (then calls DrainNotices) or `wake` to be called, at most
// Interval(); then calls Step and, for each disc it returns, saves the catalogue when the disc changed it
// and calls Finish, which opens the tray when asked and sets the drive's state.
class DiscWatch {
public:
    // `wake` is called on a walking thread when it has something for Step; it must not block.
    DiscWatch(WatchedDrives& drives, WatchOptions options, std::function<void()> wake = {});
    // Cancels the discs under way and waits for their threads; nothing of them is added.
    ~DiscWatch();
    DiscWatch(const DiscWatch&) = delete;
    DiscWatch& operator=(const DiscWatch&) = delete;

    // Told on the walking thread as a disc's walk goes on: its drive and the entries so far (a window may
    // refresh its list then rather than on a timer). Set before the first Step.
    void SetWalkListener(std::function<void(std::string_view root, std::size_t entries)> listener) {
        m_listener = std::move(listener);
    }

    // Applies to `doc` each disc whose walk ended, looks at the drives and starts reading each disc that
    // arrived. Returns the discs handled, in the order they were.
    std::vector<HandledDisc> Step(CKavrelDoc& doc);
    // Once `disc` is saved: opens the tray when asked (a refusal is told, never fatal) and shows the disc's
    // outcome as its drive's state. With `eject` false the tray is left to the caller, who opens it (off this
    // thread: a tray takes a second or two) when WantsEject says so, and shows the outcome once it did.
    void Finish(HandledDisc& disc, bool eject = true);
    bool WantsEject(const HandledDisc& disc) const;
    // Opens the tray of the disc's drive: any thread.
    std::string Eject(const HandledDisc& disc) { return m_drives.Eject(disc.medium); }

    // The drives and their states, in drive order, as of the last Step.
    std::vector<DriveStatus> Drives() const;
    // Gives the disc under way in drive `root` another label, applied when its walk ends. Empty when taken,
    // else why not (no new disc is under way there, or the label is not accepted).
    std::string SetLabel(const std::string& root, const std::string& label);
    // Stops the disc under way in drive `root`, or every disc: nothing of it is added, and Step tells it as
    // cancelled once its thread has ended.
    void Cancel(const std::string& root);
    void CancelAll();
    // Takes no more discs: Step only ends the discs under way (the mode ends between discs).
    void StopLooking() { m_stopped = true; }
    // The window's boxes: they apply to the discs that arrive from now on (and the tray to every disc done).
    void SetEject(bool on) { m_options.eject = on; }
    void SetChecksums(bool on) { m_options.checksums = on; }
    // True while a disc is under way.
    bool Busy() const { return !m_jobs.empty(); }

    // How long to wait before the next Step when nothing wakes the caller.
    std::chrono::milliseconds Interval() const { return m_interval; }
    int WakeFd() const { return m_drives.WakeFd(); }
    void DrainNotices() { m_drives.Drain(); }

private:
    struct Job;

    void Start(Job& job, std::function<void(Job&)> work);
    std::vector<std::string> LabelsUnderWay() const;
    void Identified(CKavrelDoc& doc, Job& job, std::vector<HandledDisc>& handled);
    HandledDisc Walked(CKavrelDoc& doc, Job& job);
    DriveStatus* StatusOf(const std::string& root);
    // The disc under way in the drive `root`: a drive reads one at a time.
    Job* JobIn(const std::string& root) const;

    WatchedDrives& m_drives;
    WatchOptions m_options;
    std::function<void()> m_wake;
    std::function<void(std::string_view, std::size_t)> m_listener;
    DriveTracker m_tracker;
    std::vector<std::unique_ptr<Job>> m_jobs;
    std::vector<DriveStatus> m_status;
    std::chrono::milliseconds m_interval{50};
    bool m_stopped = false;
};

}  // namespace scan
