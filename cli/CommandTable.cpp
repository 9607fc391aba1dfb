#include "cli/CommandTable.h"

#include <algorithm>
#include <array>

#include "cli/Commands.h"

namespace cli {

namespace {
constexpr std::array kCommands = {
#define TAMBEROL_COMMAND(name, function, arguments, summary) CommandInfo{name, &function, arguments, summary},
#include "cli/CommandList.h"
#undef TAMBEROL_COMMAND
};
}  // namespace

std::span<const CommandInfo> Commands() {
    return kCommands;
}

const CommandInfo* FindCommand(std::string_view name) {
    const auto found = std::ranges::find(kCommands, name, &CommandInfo::name);
    return found == kCommands.end() ? nullptr : &*found;
}

}  // namespace cli
