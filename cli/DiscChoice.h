#pragma once

#include <optional>
#include <string>

#include "catalogue/Disc.h"

class CKavrelDoc;
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

// FILE LABEL [SOURCE] of a command that reads a catalogued disc again: opens FILE into `doc`, chooses the
// one disc LABEL (or --index) names, and sets `source` to SOURCE or else to the one the disc's details keep.
// On failure prints why and returns nullopt.
std::optional<catalogue::Disc> DiscToReadAgain(const CommandLine& args, CKavrelDoc& doc, std::string& source);

}  // namespace cli
