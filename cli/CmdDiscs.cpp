#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

// The discs as the tree lists them, each with the number of its entries: equal labels apart from each other
// are separate discs, as in the tree.
int CmdDiscs(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {});
    if (const auto stop = cli::CheckArguments(args, "discs", 1, 1)) return *stop;

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    for (const catalogue::Disc& disc : catalogue::DiscNodes(entries))
        cli::WriteFields({entries.Text(disc.label), std::to_string(disc.entries)});
    return cli::kExitOk;
}
