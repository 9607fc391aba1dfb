#include <iostream>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "docview/Messages.h"
#include "platform/Drives.h"
#include "scan/CreateImageCommand.h"

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

}  // namespace

// Catalogues one disc (a drive text or, on Linux, a folder) into FILE, as File > Create Image file does.
int CmdScan(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {}, {"--label"});
    if (const auto stop = cli::CheckArguments(args, "scan", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& drive = args.Positional()[1];
    const std::string label = args.Value("--label").value_or(std::string{});
    // Refused before the file is touched, so that a typo cannot create an empty catalogue. A drive text
    // with no optical drive at all could only report an empty disc as a success; a folder needs no drive.
    if (platform::IsDriveText(drive) && platform::OpticalDrives().empty())
        return cli::Fail(scan::kNoDriveMessage);
    if (!scan::IsLabelAccepted(label)) return cli::Fail(scan::kBadLabelMessage);

    CKavrelDoc doc;
    PrintedMessages messages;
    doc.SetMessages(&messages);
    if (!cli::OpenCatalogue(path, doc, true)) return cli::kExitFailed;
    const std::size_t before = doc.GetEntryCount();
    scan::RunCreateImage(doc, messages, label, drive);
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << doc.GetEntryCount() - before << " entries added\n";
    return cli::kExitOk;
}
