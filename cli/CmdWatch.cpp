#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "platform/Drives.h"
#include "scan/DiscWatch.h"

#ifdef _WIN32

int CmdWatch(int, char**) {
    return cli::Fail("watch is not available on this system yet");
}

#else

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

using Outcome = scan::HandledDisc::Outcome;

// Wakes the waiting loop: written by the signal handler and by the walking threads, read by poll().
int g_wakeRead = -1;
int g_wakeWrite = -1;
volatile sig_atomic_t g_stopAsked = 0;

void Wake() {
    const char byte = 0;
    // A full pipe already wakes the loop; nothing is lost when this write finds no room.
    [[maybe_unused]] const ssize_t written = ::write(g_wakeWrite, &byte, 1);
}

extern "C" void OnStopSignal(int) {
    const int saved = errno;
    g_stopAsked = 1;
    Wake();
    errno = saved;
}

void DrainWake() {
    char bytes[64];
    while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
}

const char* ResultWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::Added:
            return "added";
        case Outcome::Updated:
            return "updated";
        case Outcome::Skipped:
            return "skipped";
        case Outcome::Cancelled:
            return "cancelled";
        case Outcome::Refused:
        case Outcome::Unreadable:
            break;
    }
    return "refused";
}

// One JSON object per disc, with the same facts as the text line.
void JsonRow(cli::Listing& listing, const scan::HandledDisc& disc) {
    using Value = cli::Listing::Value;
    const auto text = [](const std::string& value) { return value.empty() ? Value{} : Value{value}; };
    const bool known = disc.outcome == Outcome::Updated || disc.outcome == Outcome::Skipped;
    Value eject;
    if (disc.ejectAsked) eject = disc.ejectProblem.empty() ? std::string_view("ejected") : disc.ejectProblem;
    listing.Row({std::string_view(disc.medium.root), ResultWord(disc.outcome), text(disc.label),
                 std::string_view(disc.volumeLabel),
                 disc.outcome == Outcome::Added ? Value{std::uint64_t{disc.entries}} : Value{},
                 known ? text(disc.knownLocation) : Value{}, text(disc.changes), text(disc.why), eject});
}

bool ParseCount(const std::string& text, std::size_t& count) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, count);
    return error == std::errc() && stop == end && count > 0;
}

}  // namespace

// Catalogues each disc as it arrives in a drive into FILE, saving after each, until stopped.
int CmdWatch(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--eject", "--checksums", "--json"}, {"--known", "--count"});
    if (const auto stop = cli::CheckArguments(args, "watch", 1, 1)) return *stop;
    scan::WatchOptions options;
    options.checksums = args.Has("--checksums");
    options.eject = args.Has("--eject");
    if (const auto known = args.Value("--known")) {
        if (*known != "skip" && *known != "update")
            return cli::UsageError("watch", "--known is skip or update");
        options.updateKnown = *known == "update";
    }
    std::size_t limit = 0;
    if (const auto count = args.Value("--count"); count && !ParseCount(*count, limit))
        return cli::UsageError("watch", "--count needs a number of discs, 1 or more");

    // Which drives there are, without looking into them: a drive spinning a disc up would hold a look.
    if (platform::OpticalDrives().empty())
        return cli::Fail(
            "there is no optical drive to watch (TAMBEROL_DRIVES maps a folder or a disc image "
            "as a drive: E=/srv/discs/holiday.iso)");
    const std::string& path = args.Positional()[0];
    CKavrelDoc doc;
    std::error_code ignored;
    const bool missing = !std::filesystem::exists(path, ignored);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    // Saved before the first disc is read, not after: a file that cannot be written, or a catalogue whose
    // disc details could not be read (which saving would lose), is said before anyone feeds a disc in.
    if ((missing || !doc.OpenWarning().empty()) && !cli::SaveCatalogue(path, doc)) return cli::kExitFailed;

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0)
        return cli::Fail(std::string("cannot watch: ") + std::strerror(errno));
    g_wakeRead = pipeEnds[0];
    g_wakeWrite = pipeEnds[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A second Ctrl+C ends the program at once, should a disc be slow to stop: every disc done is saved.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const cli::Form form = cli::FormOf(args);
    std::optional<cli::Listing> listing;
    if (form == cli::Form::Json)
        listing.emplace(form, std::vector<cli::Listing::Column>{{"drive"},
                                                                {"result"},
                                                                {"label"},
                                                                {"volume_label"},
                                                                {"entries"},
                                                                {"location"},
                                                                {"changes"},
                                                                {"reason"},
                                                                {"eject"}});
    const std::unique_ptr<scan::WatchedDrives> drives = scan::MachineDrives();
    scan::DiscWatch watch(*drives, options, Wake);
    std::size_t counted = 0;
    bool stopping = false;
    const auto stop = [&] {
        stopping = true;
        watch.StopLooking();
        watch.CancelAll();
    };
    for (;;) {
        if (g_stopAsked && !stopping) stop();
        for (scan::HandledDisc& disc : watch.Step(doc)) {
            // The disc is said to be done only once it is on disk; a catalogue that cannot be saved ends the
            // watch rather than let discs pass for catalogued.
            if (disc.changed && !cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
            watch.Finish(disc);
            if (disc.outcome == Outcome::Unreadable) {
                cli::Warn(cli::Shown(scan::LogLine(disc)));
                continue;
            }
            if (listing)
                JsonRow(*listing, disc);
            else
                std::cout << cli::Shown(scan::LogLine(disc)) << '\n';
            std::cout.flush();
            if (disc.Counts() && ++counted == limit && !stopping) stop();
        }
        if (stopping && !watch.Busy()) return cli::kExitOk;
        pollfd waits[2] = {{g_wakeRead, POLLIN, 0}, {watch.WakeFd(), POLLIN, 0}};
        const int ready =
            ::poll(waits, watch.WakeFd() >= 0 ? 2 : 1, static_cast<int>(watch.Interval().count()));
        if (ready > 0) {
            if (waits[0].revents != 0) DrainWake();
            if (waits[1].revents != 0) watch.DrainNotices();
        }
    }
}

#endif
