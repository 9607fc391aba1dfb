#include <cstddef>
#include <iostream>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscEdits.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

// Deletes a disc as the tree does: every entry carrying the label is blanked (the records stay in the file).
int CmdDelete(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {});
    if (const auto stop = cli::CheckArguments(args, "delete", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const std::size_t blanked = catalogue::DeleteDisc(doc, label);
    // Rewriting the file for a label that names nothing would only hide a typing error.
    if (blanked == 0) return cli::Fail("no disc is labelled \"" + label + "\" in " + path);
    if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
    std::cout << blanked << (blanked == 1 ? " entry deleted\n" : " entries deleted\n");
    return cli::kExitOk;
}
