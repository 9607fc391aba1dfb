#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "platform/Drives.h"

// The optical drives by root; on Linux also the folder each one maps to (empty while no disc is mounted).
int CmdDrives(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {});
    if (const auto stop = cli::CheckArguments(args, "drives", 0, 0)) return *stop;

    const auto drives = platform::OpticalDrives();
    if (drives.empty()) return cli::Fail("no CD/DVD drive found");
    for (const platform::OpticalDrive& drive : drives) {
#ifdef _WIN32
        cli::WriteFields({drive.root});
#else
        cli::WriteFields({drive.root, drive.folder});
#endif
    }
    return cli::kExitOk;
}
