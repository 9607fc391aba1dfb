#include <iostream>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"

// Every entry with its index, deleted ones too: the file's contents as they are, for checking by hand.
int CmdDump(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json"});
    if (const auto stop = cli::CheckArguments(args, "dump", 1, 1)) return *stop;

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const bool json = args.Has("--json");
    for (std::size_t i = 0; i < entries.Size(); ++i) {
        const std::string index = std::to_string(i);
        if (json) {
            std::cout << "{\"index\":" << index << ",\"label\":\"" << cli::JsonString(entries.Label(i))
                      << "\",\"name\":\"" << cli::JsonString(entries.Name(i)) << "\",\"kind\":\""
                      << cli::JsonString(entries.Kind(i)) << "\",\"path\":\""
                      << cli::JsonString(entries.Path(i)) << "\",\"size\":\""
                      << cli::JsonString(entries.SizeText(i)) << "\"}\n";
        } else {
            cli::WriteFields({index, entries.Label(i), entries.Name(i), entries.Kind(i), entries.Path(i),
                              entries.SizeText(i)});
        }
    }
    return cli::kExitOk;
}
