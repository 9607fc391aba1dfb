// tamberol-cli: the catalogue core without a window, for scripts and for checking files by hand.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>

#include "cli/CliSupport.h"
#include "cli/CommandTable.h"
#include "cli/Output.h"

namespace {
// The command's exit code, unless its output could not be written: a reader that stopped early (a pipe
// closed by `head`) ends it quietly, any other failure makes it fail with the system's reason.
int Finished(int code, cli::Output& output) {
    const int error = output.Finish();
    if (error == 0 || error == EPIPE) return code;
    return cli::Fail(std::string("cannot write the output: ") + std::strerror(error));
}
}  // namespace

int main(int argc, char** argv) {
    cli::Output output;
    if (argc < 2) {
        cli::PrintHelp(std::cerr);
        return cli::kExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        cli::PrintHelp(std::cout);
        return Finished(cli::kExitOk, output);
    }
    const cli::CommandInfo* command = cli::FindCommand(name);
    if (command == nullptr) {
        std::cerr << "tamberol-cli: unknown command \"" << name << "\"\n";
        cli::PrintHelp(std::cerr);
        return cli::kExitUsage;
    }
    return Finished(command->run(argc - 1, argv + 1), output);
}
