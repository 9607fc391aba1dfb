#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The arguments of one command, split into flags ("--json"), options with a value ("--label TEXT") and
// positional arguments; "--" ends the options so that a label or file may itself begin with "--".
class CommandLine {
public:
    // Parses argv[1..argc-1]; `flags` and `valueOptions` are the names the command accepts ("--help" always).
    CommandLine(int argc, char** argv, std::initializer_list<std::string_view> flags,
                std::initializer_list<std::string_view> valueOptions = {});

    // False when an unknown option or an option without its value was given; Error() says which.
    bool Ok() const { return m_strError.empty(); }
    const std::string& Error() const { return m_strError; }

    // True when the flag was given.
    bool Has(std::string_view flag) const { return m_flags.contains(std::string(flag)); }
    // The value given with an option, if it was given (the last one wins).
    std::optional<std::string> Value(std::string_view option) const;
    // The positional arguments in order.
    const std::vector<std::string>& Positional() const { return m_positional; }

private:
    std::set<std::string> m_flags;
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_positional;
    std::string m_strError;
};

}  // namespace cli
