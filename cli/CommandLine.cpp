#include "cli/CommandLine.h"

#include <algorithm>

namespace cli {

CommandLine::CommandLine(int argc, char** argv, std::initializer_list<std::string_view> flags,
                         std::initializer_list<std::string_view> valueOptions) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // A lone "-" is a positional argument by habit (it often means standard input).
        if (optionsEnded || arg.size() < 2 || !arg.starts_with('-')) {
            m_positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h" || std::ranges::find(flags, arg) != flags.end()) {
            m_flags.insert(arg == "-h" ? "--help" : arg);
        } else if (std::ranges::find(valueOptions, arg) != valueOptions.end()) {
            if (i + 1 >= argc) {
                if (m_strError.empty()) m_strError = "option " + arg + " needs a value";
            } else {
                m_values[arg] = argv[++i];
            }
        } else if (m_strError.empty()) {
            m_strError = "unknown option " + arg;
        }
    }
}

std::optional<std::string> CommandLine::Value(std::string_view option) const {
    const auto found = m_values.find(std::string(option));
    if (found == m_values.end()) return std::nullopt;
    return found->second;
}

}  // namespace cli
