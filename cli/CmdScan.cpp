#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "docview/Messages.h"
#include "platform/Drives.h"
#include "platform/Location.h"
#include "platform/Volume.h"
#include "scan/CreateImageCommand.h"
#include "scan/ImageBatch.h"

namespace {

// The command's messages as lines: news on stdout, trouble (an icon of its own) on stderr. They may name
// an image, so they go out in the text form.
class PrintedMessages : public IMessages {
public:
    msg::Answer Show(const msg::Request& request) override {
        if (request.icon == msg::Icon::None)
            std::cout << cli::Shown(request.text) << '\n';
        else
            cli::Warn(cli::Shown(request.text));
        return msg::Answer::Ok;
    }
};

// Names that could not be decoded are kept, and the person is told how many.
void WarnMended(std::size_t names, const std::string& image) {
    if (names == 0) return;
    cli::Warn(cli::Counted(names, "name", "names") + " in " + cli::Quoted(image) + " could not be read and " +
              (names == 1 ? "was" : "were") + " kept with U+FFFD");
}

// One disc from a drive, a folder or an image, under the label given; a label that another disc carries
// only with `sameLabel`, since the two discs would then show as one where they stand together.
int ScanOne(const std::string& path, const std::string& label, const std::string& given, bool sameLabel,
            bool checksums) {
    const platform::Location typed(given);
    // Refused before the file is touched, so that a typo cannot create an empty catalogue. A drive text
    // with no optical drive at all could only report an empty disc as a success; a folder needs no drive.
    if (typed.IsDrive() && platform::OpticalDrives().empty()) return cli::Fail(scan::kNoDriveMessage);
    if (!scan::IsLabelAccepted(label)) return cli::Fail(scan::kBadLabelMessage);
    CKavrelDoc doc;
    PrintedMessages messages;
    doc.SetMessages(&messages);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    if (!sameLabel && catalogue::FirstDisc(doc.Entries(), label).entries > 0) {
        return cli::Fail("a disc labelled " + cli::Quoted(label) + " is already in " + cli::Quoted(path) +
                         "; give another label, or --same-label to add this disc under it all the same (two "
                         "discs with one label show as one where they stand next to each other)");
    }
    // A path relative to where the tool was started names the same file once made absolute.
    const platform::Location source = typed.Absolute();
    // An empty drive, a missing path or an unreadable image would otherwise read as an empty disc.
    const platform::VolumeFolder opened = platform::OpenVolume(source);
    if (!opened) {
        if (!opened.image.empty())
            return cli::Fail(cli::Shown(scan::ImageRefusedMessage(given, opened.problem)));
        return cli::Fail("cannot read " + cli::Quoted(given) + ": " + opened.problem);
    }

    const std::size_t before = doc.GetEntryCount();
    if (scan::RunCreateImage(doc, messages, label, source.Text(), checksums) != scan::Outcome::Done)
        return cli::kExitFailed;
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << cli::Counted(doc.GetEntryCount() - before, "entry", "entries") << " added\n";
    WarnMended(opened.mendedNames, given);
    return cli::kExitOk;
}

// One disc per image file, each labelled by its volume label (or its file name), made unique.
int ScanImages(const std::string& path, const std::vector<platform::Location>& given, bool checksums) {
    CKavrelDoc doc;
    PrintedMessages messages;
    doc.SetMessages(&messages);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    std::vector<std::string> sources;
    for (const platform::Location& image : given) sources.push_back(image.Absolute().Text());
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(doc.Entries(), sources);
    scan::WalkImages(jobs, nullptr, {}, checksums);
    const scan::ImageBatchResult added = scan::AddImageDiscs(doc, jobs);

    // The images that were read are kept whatever happened to the others; with none, the file is untouched.
    // Nothing is said to be added until it is saved.
    const bool saved = added.discs > 0 && cli::SaveCatalogue(path, doc);
    bool failed = added.discs > 0 && !saved;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].walked) {
            if (!saved) continue;
            std::cout << cli::Shown(given[i].Text()) << ": "
                      << cli::Counted(jobs[i].entries.Size(), "entry", "entries") << " added as "
                      << cli::Quoted(jobs[i].label) << '\n';
            WarnMended(jobs[i].mendedNames, given[i].Text());
        } else {
            failed = true;
            cli::Warn(cli::Shown(scan::ImageRefusedMessage(given[i].Text(), jobs[i].problem)));
        }
    }
    return failed ? cli::kExitFailed : cli::kExitOk;
}

}  // namespace

// Catalogues one disc (a drive text, a folder or an image file) under --label into FILE, as File > Create
// Image file does, or without --label one disc per image file, labelled from its volume.
int CmdScan(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--same-label", "--checksums"}, {"--label"});
    if (const auto stop = cli::CheckArguments(args, "scan", 2, std::numeric_limits<std::size_t>::max()))
        return *stop;

    const std::vector<std::string>& positional = args.Positional();
    const std::string& path = positional[0];
    if (const std::optional<std::string> label = args.Value("--label")) {
        if (positional.size() != 2)
            return cli::UsageError("scan", "--label names one drive, folder or image");
        return ScanOne(path, *label, positional[1], args.Has("--same-label"), args.Has("--checksums"));
    }
    if (args.Has("--same-label")) return cli::UsageError("scan", "--same-label goes with --label");
    const std::vector<platform::Location> images(positional.begin() + 1, positional.end());
    if (images.size() == 1 && images[0].IsDrive()) return cli::Fail(scan::kBadLabelMessage);
    return ScanImages(path, images, args.Has("--checksums"));
}
