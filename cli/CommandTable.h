#pragma once

#include <span>
#include <string_view>

namespace cli {

// One tamberol-cli command: its name, its entry point and its line in the help text.
struct CommandInfo {
    std::string_view name;
    int (*run)(int argc, char** argv);
    std::string_view arguments;
    std::string_view summary;
};

// Every command, in the order of CommandList.h.
std::span<const CommandInfo> Commands();
// The command called `name`; null when there is none.
const CommandInfo* FindCommand(std::string_view name);

}  // namespace cli
