#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/FormatSize.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "search/Duplicates.h"

// The files kept on more than one disc, grouped, biggest first, with each copy's disc and folder.
int CmdDupes(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv", "--content"}, {"--min-size"});
    if (const auto stop = cli::CheckArguments(args, "dupes", 1, 1)) return *stop;
    std::uint64_t minBytes = 0;
    if (const auto text = args.Value("--min-size")) {
        const auto bytes = catalogue::ParseSize(*text);
        if (!bytes)
            return cli::UsageError("dupes", "--min-size wants a number of bytes, not \"" + *text + "\"");
        minBytes = *bytes;
    }

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    cli::Listing listing(cli::FormOf(args),
                         cli::Listing::EntryColumns({"index", "kind"},
                                                    {{"group", false}, {"copies", false}, {"bytes", false}}));
    const search::Duplicates found = args.Has("--content") ? search::FindContentDuplicates(entries, minBytes)
                                                           : search::FindDuplicates(entries, minBytes);
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        const search::Duplicates::Group& group = found.groups[g];
        listing.StartGroup();
        for (const std::size_t i : found.Copies(group)) {
            listing.EntryRow(entries, i, {std::uint64_t{g + 1}, std::uint64_t{group.count}, group.bytes});
        }
    }
    return cli::kExitOk;
}
