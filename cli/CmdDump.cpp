#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"

// Every entry with its index, deleted ones too: the file's contents as they are, for checking by hand.
int CmdDump(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"});
    if (const auto stop = cli::CheckArguments(args, "dump", 1, 1)) return *stop;

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    cli::Listing listing(cli::FormOf(args), cli::Listing::EntryColumns({}));
    for (std::size_t i = 0; i < entries.Size(); ++i) listing.EntryRow(entries, i);
    return cli::kExitOk;
}
