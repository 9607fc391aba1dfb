#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

class CKavrelDoc;

// What every tamberol-cli command shares: exit codes, error and usage reports, opening and saving a
// catalogue. The output forms of the listings are in Listing.h.
namespace cli {

class CommandLine;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the reason is on stderr
inline constexpr int kExitUsage = 2;

// Prints "tamberol-cli: <message>" to stderr and returns kExitFailed.
int Fail(std::string_view message);
// Prints "tamberol-cli: <message>" to stderr; the command goes on.
void Warn(std::string_view message);
// A text from a catalogue, an image or the file system as the text form shows it: the display text, or in
// double quotes with C escapes when it holds a control character, so nothing in it can steer the terminal.
std::string Shown(std::string_view text);
// The same, always in double quotes, for naming a label or a file in a message.
std::string Quoted(std::string_view text);
// A count and the word for it, "1 entry" or "2 entries", in plain digits so that scripts can read it.
std::string Counted(std::size_t count, std::string_view one, std::string_view many);

// Prints the problem and the command's usage line to stderr and returns kExitUsage.
int UsageError(std::string_view command, std::string_view problem);
// Prints the general help (every command) to `out`.
void PrintHelp(std::ostream& out);

// The exit code when the command must stop before doing anything: its help was asked for (0), an option
// was wrong, --json came with --csv, or the number of positional arguments is outside [minimum, maximum]
// (2). Else nullopt.
std::optional<int> CheckArguments(const CommandLine& args, std::string_view command, std::size_t minimum,
                                  std::size_t maximum);

// Opens a catalogue file into `doc`; on failure prints why (naming the file) and returns false. What the
// open could read only in part (a damaged block of dates and disc details) is warned of on stderr.
// With `missingIsEmpty` a file that does not exist yet gives an empty catalogue with that path.
bool OpenCatalogue(const std::string& path, CKavrelDoc& doc, bool missingIsEmpty = false);
// Saves `doc` to `path` atomically; on failure prints why and returns false (the old file is intact).
bool SaveCatalogue(const std::string& path, CKavrelDoc& doc);

}  // namespace cli
