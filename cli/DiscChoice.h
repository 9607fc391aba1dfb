#pragma once

#include <optional>
#include <string>

#include "catalogue/Disc.h"

class EntryStore;

namespace cli {

class CommandLine;

// Which disc a command acts on: the one LABEL names, or with --index N the disc whose first entry is N
// (the index `discs` prints), since two discs may carry one label.
//   `single`: a label that names more than one disc is refused, listing them, unless --index chooses;
//   otherwise the first of them is taken, as the tree's first node with that label shows it.
// On failure prints why (naming `file`) and returns nullopt.
std::optional<catalogue::Disc> ChooseDisc(const EntryStore& entries, const CommandLine& args,
                                          const std::string& label, const std::string& file, bool single);

}  // namespace cli
