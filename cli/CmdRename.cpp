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

// Gives one disc another label as the tree does; a label that a neighbouring disc carries merges the two.
int CmdRename(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {}, {"--index"});
    if (const auto stop = cli::CheckArguments(args, "rename", 3, 3)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& oldLabel = args.Positional()[1];
    const std::string& newLabel = args.Positional()[2];
    // An empty label would turn the disc's entries into deleted ones while keeping their texts.
    if (newLabel.empty()) return cli::Fail("the new label must not be empty");
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const std::optional<catalogue::Disc> disc = cli::ChooseDisc(doc.Entries(), args, oldLabel, path, true);
    if (!disc) return cli::kExitFailed;
    const std::size_t relabelled = catalogue::RelabelDisc(doc, *disc, newLabel);
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << cli::Counted(relabelled, "entry", "entries") << " relabelled\n";
    return cli::kExitOk;
}
