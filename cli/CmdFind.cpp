#include <iostream>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "search/SearchEngine.h"

// The Find command without a window: the same options, the same matches, the hits in catalogue order.
int CmdFind(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--case", "--files-only", "--whole", "--json", "--csv"});
    if (const auto stop = cli::CheckArguments(args, "find", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& text = args.Positional()[1];
    if (text.empty()) return cli::UsageError("find", "the text to find is empty");
    const search::Options options{args.Has("--case"), !args.Has("--files-only"), args.Has("--whole")};
    // The refusal comes before the catalogue is read, as in the window.
    if (options.wholeName && text.find('*') != std::string::npos) {
        std::cerr << search::kStarWarning << '\n';
        return cli::kExitFailed;
    }

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    cli::Listing listing(cli::FormOf(args), cli::Listing::EntryColumns({"index"}));
    const std::size_t hits =
        search::Scan(doc, text, options, [&](std::size_t i) { listing.EntryRow(entries, i); });
    if (hits == 0) {
        std::cout.flush();
        std::cerr << search::kNotFoundMessage << '\n';
        return cli::kExitFailed;
    }
    return cli::kExitOk;
}
