#include "cli/CliSupport.h"

#include <filesystem>
#include <iostream>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/TextForms.h"
#include "cli/CommandLine.h"
#include "cli/CommandTable.h"

namespace cli {

namespace {
constexpr std::string_view kProgram = "tamberol-cli";

std::string UsageLine(const CommandInfo& command) {
    std::string line = std::string(kProgram) + " " + std::string(command.name);
    if (!command.arguments.empty()) line += " " + std::string(command.arguments);
    return line;
}
}  // namespace

int Fail(std::string_view message) {
    Warn(message);
    return kExitFailed;
}

void Warn(std::string_view message) {
    std::cout.flush();
    std::cerr << kProgram << ": " << message << '\n';
}

std::string Shown(std::string_view text) {
    std::string shown;
    catalogue::AppendTextField(text, shown);
    return shown;
}

std::string Quoted(std::string_view text) {
    std::string shown = Shown(text);
    // The text form puts a text in quotes only when it escapes it (a plain text never begins with one).
    if (!shown.empty() && shown.front() == '"') return shown;
    return "\"" + shown + "\"";
}

std::string Counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

int UsageError(std::string_view command, std::string_view problem) {
    std::cout.flush();
    std::cerr << kProgram << " " << command << ": " << problem << '\n';
    if (const CommandInfo* info = FindCommand(command)) std::cerr << "usage: " << UsageLine(*info) << '\n';
    return kExitUsage;
}

void PrintHelp(std::ostream& out) {
    out << "usage: " << kProgram << " COMMAND [ARGUMENTS]\n"
        << "Reads and edits \".cdi\" disc catalogues without a window.\n\n"
        << "Commands:\n";
    for (const CommandInfo& command : Commands()) {
        out << "  " << UsageLine(command) << "\n      " << command.summary << '\n';
    }
    out << "\nEvery command takes --help. Texts are shown as the window shows them: UTF-8, or read as\n"
        << "Windows-1252 when they are not UTF-8. Listings print one line per record, tab-separated; a text\n"
        << "holding a control character (or beginning with '\"') is printed in double quotes with C escapes\n"
        << "(\\t, \\n, \\\\, ...). With --json: one JSON object a line (a text that is not UTF-8 also as\n"
        << "KEY_hex, its exact bytes in hex). With --csv: CSV (RFC 4180) with a header row. Times are ISO\n"
        << "8601 in UTC (2019-06-01T12:00:00Z); a time or size not known is empty (null in JSON).\n"
        << "Exit codes: 0 done, 1 failed (the reason is on stderr), 2 wrong usage.\n";
}

std::optional<int> CheckArguments(const CommandLine& args, std::string_view command, std::size_t minimum,
                                  std::size_t maximum) {
    if (args.Has("--help")) {
        if (const CommandInfo* info = FindCommand(command)) {
            std::cout << "usage: " << UsageLine(*info) << '\n' << info->summary << '\n';
        }
        return kExitOk;
    }
    if (!args.Ok()) return UsageError(command, args.Error());
    if (args.Has("--json") && args.Has("--csv"))
        return UsageError(command, "--json and --csv exclude each other");
    const std::size_t count = args.Positional().size();
    if (count < minimum) return UsageError(command, "missing arguments");
    if (count > maximum) return UsageError(command, "too many arguments");
    return std::nullopt;
}

bool OpenCatalogue(const std::string& path, CKavrelDoc& doc, bool missingIsEmpty) {
    std::error_code ignored;
    if (missingIsEmpty && !std::filesystem::exists(path, ignored)) {
        doc.OnNewDocument();
        doc.SetPathName(path);
        return true;
    }
    std::string error;
    if (!doc.OnOpenDocument(path, error)) {
        Fail(error);
        return false;
    }
    // What was left out is told, but the entries themselves were read: the command goes on.
    if (!doc.OpenWarning().empty()) Warn(doc.OpenWarning());
    return true;
}

bool SaveCatalogue(const std::string& path, CKavrelDoc& doc) {
    // A script that edits one disc must not throw away, unseen, the dates and details of every disc: the
    // window, where a person is told and saves knowingly, is the place to drop them.
    if (!doc.OpenWarning().empty()) {
        Fail("\"" + path +
             "\" was not changed: saving it would lose the dates and disc details that could not be " +
             "read (open it in the window and save it there to keep it without them)");
        return false;
    }
    std::string error;
    if (doc.OnSaveDocument(path, error)) return true;
    Fail(error);
    return false;
}

}  // namespace cli
