#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "platform/Drives.h"

// The optical drives by root; on Linux also the folder each one maps to (empty while no disc is mounted).
int CmdDrives(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"});
    if (const auto stop = cli::CheckArguments(args, "drives", 0, 0)) return *stop;

    const auto drives = platform::OpticalDrives();
    if (drives.empty()) return cli::Fail("no CD/DVD drive found");
#ifdef _WIN32
    cli::Listing listing(cli::FormOf(args), {{"root"}});
    for (const platform::OpticalDrive& drive : drives) listing.Row({drive.root});
#else
    cli::Listing listing(cli::FormOf(args), {{"root"}, {"folder"}});
    for (const platform::OpticalDrive& drive : drives) listing.Row({drive.root, drive.folder});
#endif
    return cli::kExitOk;
}
