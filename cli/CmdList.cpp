#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"

// One disc as the contents list shows it: the first unbroken run of entries carrying the label.
int CmdList(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"});
    if (const auto stop = cli::CheckArguments(args, "list", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const catalogue::Disc disc = catalogue::FirstRun(entries, label);
    if (disc.entries == 0) return cli::Fail("no disc is labelled \"" + label + "\" in " + path);
    cli::Listing listing(cli::FormOf(args),
                         {{"index", false}, {"label", false}, {"name"}, {"kind"}, {"path"}, {"size"}});
    for (std::size_t i = disc.first; i < disc.end; ++i) {
        listing.Row({std::uint64_t{i}, entries.Label(i), entries.Name(i), entries.Kind(i), entries.Path(i),
                     entries.SizeText(i)});
    }
    return cli::kExitOk;
}
