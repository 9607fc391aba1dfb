#include <cstddef>
#include <iostream>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscEdits.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscChoice.h"

// Deletes one disc as the tree does: its entries are blanked (the records stay in the file). Another disc
// that carries the same label is never touched.
int CmdDelete(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {}, {"--index"});
    if (const auto stop = cli::CheckArguments(args, "delete", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const std::optional<catalogue::Disc> disc = cli::ChooseDisc(doc.Entries(), args, label, path, true);
    if (!disc) return cli::kExitFailed;
    const std::size_t blanked = catalogue::DeleteDisc(doc, *disc);
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << cli::Counted(blanked, "entry", "entries") << " deleted\n";
    return cli::kExitOk;
}
