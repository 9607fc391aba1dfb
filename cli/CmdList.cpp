#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FolderIndex.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscChoice.h"
#include "cli/Listing.h"

// One disc as its node in the tree lists it: every entry of the disc, past deleted ones (the first disc
// carrying the label, or the one --index names); with --folder, that folder's own files and folders as the
// list shows it when the folder's node is selected.
int CmdList(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"}, {"--folder", "--index"});
    if (const auto stop = cli::CheckArguments(args, "list", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const std::optional<catalogue::Disc> chosen = cli::ChooseDisc(entries, args, label, path, false);
    if (!chosen) return cli::kExitFailed;
    const catalogue::Disc& disc = *chosen;
    const std::optional<std::string> folder = args.Value("--folder");
    std::optional<catalogue::FolderIndex> index;
    catalogue::FolderIndex::FolderId found = catalogue::FolderIndex::kNoFolder;
    if (folder) {
        index.emplace(entries, disc);
        found = index->Find(*folder);
        if (found == catalogue::FolderIndex::kNoFolder)
            return cli::Fail("no folder " + cli::Quoted(*folder) + " on the disc labelled " +
                             cli::Quoted(label) + " in " + path);
    }
    cli::Listing listing(cli::FormOf(args), cli::Listing::EntryColumns({"index", "label"}));
    if (!index) {
        for (std::size_t i = disc.first; i < disc.end; ++i) {
            if (disc.Holds(entries, i)) listing.EntryRow(entries, i);
        }
    } else {
        for (const std::uint32_t i : index->Rows(found)) listing.EntryRow(entries, i);
    }
    return cli::kExitOk;
}
