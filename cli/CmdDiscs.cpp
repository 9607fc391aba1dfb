#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

// The discs as the tree lists them: a disc starts at every non-empty label that differs from the last
// non-empty label before it, so equal labels apart from each other are separate discs, as in the tree.
int CmdDiscs(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {});
    if (const auto stop = cli::CheckArguments(args, "discs", 1, 1)) return *stop;

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    struct Disc {
        std::size_t firstEntry;
        std::size_t entryCount;
    };
    std::vector<Disc> discs;
    for (std::size_t i = 0; i < entries.Size(); ++i) {
        if (entries.Label(i).empty()) continue;
        if (discs.empty() || entries.LabelId(i) != entries.LabelId(discs.back().firstEntry)) {
            discs.push_back({i, 0});
        }
        ++discs.back().entryCount;
    }
    for (const Disc& disc : discs) {
        cli::WriteFields({entries.Label(disc.firstEntry), std::to_string(disc.entryCount)});
    }
    return cli::kExitOk;
}
