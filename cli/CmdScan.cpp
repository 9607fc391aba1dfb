#include <filesystem>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "docview/Messages.h"
#include "platform/Drives.h"
#include "platform/Volume.h"
#include "scan/CreateImageCommand.h"
#include "scan/ImageBatch.h"

namespace {

// The command's messages as lines: news on stdout, trouble (an icon of its own) on stderr.
class PrintedMessages : public IMessages {
public:
    msg::Answer Show(const msg::Request& request) override {
        if (request.icon == msg::Icon::None)
            std::cout << request.text << '\n';
        else
            std::cerr << "tamberol-cli: " << request.text << '\n';
        return msg::Answer::Ok;
    }
};

// A path relative to where the tool was started names the same file once made absolute; drive texts stay.
std::string Absolute(const std::string& source) {
    if (source.empty() || platform::IsDriveText(source) || source[0] == '/') return source;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(source, ignored);
    return absolute.empty() ? source : absolute.lexically_normal().string();
}

// One disc from a drive, a folder or an image, under the label given.
int ScanOne(const std::string& path, const std::string& label, const std::string& given) {
    // Refused before the file is touched, so that a typo cannot create an empty catalogue. A drive text
    // with no optical drive at all could only report an empty disc as a success; a folder needs no drive.
    if (platform::IsDriveText(given) && platform::OpticalDrives().empty())
        return cli::Fail(scan::kNoDriveMessage);
    if (!scan::IsLabelAccepted(label)) return cli::Fail(scan::kBadLabelMessage);
    const std::string source = Absolute(given);
    // An empty drive, a missing path or an unreadable image would otherwise read as an empty disc.
    const platform::VolumeFolder opened = platform::OpenVolume(source);
    if (!opened) {
        if (!opened.image.empty()) return cli::Fail(scan::ImageRefusedMessage(given, opened.problem));
        return cli::Fail("cannot read \"" + given + "\": " + opened.problem);
    }

    CKavrelDoc doc;
    PrintedMessages messages;
    doc.SetMessages(&messages);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    const std::size_t before = doc.GetEntryCount();
    if (scan::RunCreateImage(doc, messages, label, source) != scan::Outcome::Done) return cli::kExitFailed;
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << doc.GetEntryCount() - before << " entries added\n";
    return cli::kExitOk;
}

// One disc per image file, each labelled by its volume label (or its file name).
int ScanImages(const std::string& path, const std::vector<std::string>& given) {
    std::vector<std::string> sources;
    for (const std::string& image : given) sources.push_back(Absolute(image));
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(sources);

    CKavrelDoc doc;
    PrintedMessages messages;
    doc.SetMessages(&messages);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    scan::WalkImages(jobs, nullptr);
    const scan::ImageBatchResult added = scan::AddImageDiscs(doc, jobs);

    bool refused = false;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].walked) {
            std::cout << given[i] << ": " << jobs[i].entries.Size() << " entries added as \"" << jobs[i].label
                      << "\"\n";
        } else {
            refused = true;
            std::cerr << "tamberol-cli: " << scan::ImageRefusedMessage(given[i], jobs[i].problem) << '\n';
        }
    }
    // The images that were read are kept whatever happened to the others; with none, the file is untouched.
    if (added.discs > 0 && !cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    return refused ? cli::kExitFailed : cli::kExitOk;
}

}  // namespace

// Catalogues one disc (a drive text, a folder or an image file) under --label into FILE, as File > Create
// Image file does, or without --label one disc per image file, labelled from its volume.
int CmdScan(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {}, {"--label"});
    if (const auto stop = cli::CheckArguments(args, "scan", 2, std::numeric_limits<std::size_t>::max()))
        return *stop;

    const std::vector<std::string>& positional = args.Positional();
    const std::string& path = positional[0];
    if (const std::optional<std::string> label = args.Value("--label")) {
        if (positional.size() != 2)
            return cli::UsageError("scan", "--label names one drive, folder or image");
        return ScanOne(path, *label, positional[1]);
    }
    if (positional.size() == 2 && platform::IsDriveText(positional[1]))
        return cli::Fail(scan::kBadLabelMessage);
    return ScanImages(path, {positional.begin() + 1, positional.end()});
}
