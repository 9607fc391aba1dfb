#include "cli/CliSupport.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DisplayText.h"
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
    std::cout.flush();
    std::cerr << kProgram << ": " << message << '\n';
    return kExitFailed;
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
    out << "\nEvery command takes --help. Texts are printed as the catalogue stores them; --json output\n"
        << "is UTF-8 (texts that are not UTF-8 are read as Windows-1252).\n"
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
    if (doc.OnOpenDocument(path, error)) return true;
    Fail(error);
    return false;
}

bool SaveCatalogue(const std::string& path, CKavrelDoc& doc) {
    std::string error;
    if (doc.OnSaveDocument(path, error)) return true;
    Fail(error);
    return false;
}

void WriteFields(std::initializer_list<std::string_view> fields) {
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) std::cout.put('\t');
        std::cout.write(field.data(), static_cast<std::streamsize>(field.size()));
        first = false;
    }
    std::cout.put('\n');
}

std::string JsonString(std::string_view bytes) {
    const std::string text = catalogue::ToDisplayUtf8(bytes);
    std::string out;
    out.reserve(text.size() + 2);
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out.push_back(c);
                }
        }
    }
    return out;
}

}  // namespace cli
