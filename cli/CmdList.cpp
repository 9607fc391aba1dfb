#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FolderIndex.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"

// One disc as the contents list shows it: the first unbroken run of entries carrying the label; with
// --folder, that folder's own files and folders as the list shows it when the folder's node is selected.
int CmdList(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"}, {"--folder"});
    if (const auto stop = cli::CheckArguments(args, "list", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const catalogue::Disc disc = catalogue::FirstRun(entries, label);
    if (disc.entries == 0) return cli::Fail("no disc is labelled \"" + label + "\" in " + path);
    const std::optional<std::string> folder = args.Value("--folder");
    std::optional<catalogue::FolderIndex> index;
    catalogue::FolderIndex::FolderId found = catalogue::FolderIndex::kNoFolder;
    if (folder) {
        index.emplace(entries, disc);
        found = index->Find(*folder);
        if (found == catalogue::FolderIndex::kNoFolder)
            return cli::Fail("no folder \"" + *folder + "\" on the disc labelled \"" + label + "\" in " +
                             path);
    }
    cli::Listing listing(cli::FormOf(args),
                         {{"index", false}, {"label", false}, {"name"}, {"kind"}, {"path"}, {"size"}});
    const auto write = [&entries, &listing](std::size_t i) {
        listing.Row({std::uint64_t{i}, entries.Label(i), entries.Name(i), entries.Kind(i), entries.Path(i),
                     entries.SizeText(i)});
    };
    if (!index) {
        for (std::size_t i = disc.first; i < disc.end; ++i) write(i);
    } else {
        for (const std::uint32_t i : index->Rows(found)) write(i);
    }
    return cli::kExitOk;
}
