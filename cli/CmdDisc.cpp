#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscRecord.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscChoice.h"
#include "cli/DiscDetails.h"
#include "cli/Listing.h"

namespace {

// Sets one of the user's texts of the record and adds to `report` what became of it; true when it changed.
bool SetText(std::string& field, const std::string& value, std::string_view name, std::string& report) {
    report += name;
    if (field == value) {
        report += " unchanged: " + cli::Quoted(value) + "\n";
        return false;
    }
    report += value.empty() ? std::string(" cleared") : " set to " + cli::Quoted(value);
    if (!field.empty()) report += " (was " + cli::Quoted(field) + ")";
    report += '\n';
    field = value;
    return true;
}

}  // namespace

// One disc's details: what the walk read of it and where the person keeps it. With --location or --notes
// those texts are set and the catalogue saved. Two discs of one label are told apart by --index, whether
// shown or changed, so that the details shown are never another disc's.
int CmdDisc(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"}, {"--index", "--location", "--notes"});
    if (const auto stop = cli::CheckArguments(args, "disc", 2, 2)) return *stop;
    const std::optional<std::string> location = args.Value("--location");
    const std::optional<std::string> notes = args.Value("--notes");
    if ((location || notes) && (args.Has("--json") || args.Has("--csv")))
        return cli::UsageError("disc", "--json and --csv are for showing the details, not for setting them");

    const std::string& path = args.Positional()[0];
    const std::string& label = args.Positional()[1];
    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const std::optional<catalogue::Disc> disc = cli::ChooseDisc(entries, args, label, path, true);
    if (!disc) return cli::kExitFailed;

    if (location || notes) {
        const catalogue::DiscRecord* old = doc.RecordOf(*disc);
        catalogue::DiscRecord record = old ? *old : catalogue::DiscRecord{};
        std::string report;
        bool changed = false;
        if (location) changed |= SetText(record.location, *location, "location", report);
        if (notes) changed |= SetText(record.notes, *notes, "notes", report);
        if (changed) {
            doc.EditDiscRecords().Set(disc->first, std::move(record));
            doc.SetModifiedFlag();
            if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
        }
        std::cout << report;
        return cli::kExitOk;
    }

    std::vector<cli::Listing::Column> columns{{"index"}, {"label"}, {"entries"}};
    cli::AppendDetailColumns(columns);
    cli::Listing listing(cli::FormOf(args), std::move(columns), cli::Listing::Layout::Fields);
    std::vector<cli::Listing::Value> values{std::uint64_t{disc->first}, entries.Text(disc->label),
                                            std::uint64_t{disc->entries}};
    cli::AppendDetails(doc.RecordOf(*disc), values);
    listing.Row(values);
    return cli::kExitOk;
}
