// tamberol-cli: the catalogue core without a window, for scripts and for checking files by hand.
#include <iostream>
#include <string_view>

#include "cli/CliSupport.h"
#include "cli/CommandTable.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        cli::PrintHelp(std::cerr);
        return cli::kExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        cli::PrintHelp(std::cout);
        return cli::kExitOk;
    }
    const cli::CommandInfo* command = cli::FindCommand(name);
    if (command == nullptr) {
        std::cerr << "tamberol-cli: unknown command \"" << name << "\"\n";
        cli::PrintHelp(std::cerr);
        return cli::kExitUsage;
    }
    return command->run(argc - 1, argv + 1);
}
