#include <limits>
#include <string>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscTotals.h"
#include "catalogue/FormatSize.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscDetails.h"
#include "cli/Listing.h"

namespace {
// A sum of sizes held at the largest count is no true total: the person is told which one.
void WarnIfHeld(std::uint64_t bytes, const std::string& what) {
    if (bytes == std::numeric_limits<std::uint64_t>::max())
        cli::Warn(what + " add up to " + std::to_string(bytes) +
                  " bytes or more; the total is held at that largest count");
}
}  // namespace

// The discs as the tree lists them, each with the number of its entries: equal labels apart from each other
// are separate discs, as in the tree, and what the catalogue knows of each (DiscDetails.h). With --sizes also
// how full each disc is, and a line over all of them.
int CmdDiscs(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--sizes", "--json", "--csv"});
    if (const auto stop = cli::CheckArguments(args, "discs", 1, 1)) return *stop;

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(args.Positional()[0], doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(entries);
    std::vector<cli::Listing::Value> values;
    if (!args.Has("--sizes")) {
        std::vector<cli::Listing::Column> columns{{"index", false}, {"label"}, {"entries"}};
        cli::AppendDetailColumns(columns);
        cli::Listing listing(cli::FormOf(args), std::move(columns));
        for (const catalogue::Disc& disc : discs) {
            values = {std::uint64_t{disc.first}, entries.Text(disc.label), std::uint64_t{disc.entries}};
            cli::AppendDetails(doc.RecordOf(disc), values);
            listing.Row(values);
        }
        return cli::kExitOk;
    }

    // The line over all discs has no label, which no disc can lack, and says how many discs it adds up.
    std::vector<cli::Listing::Column> columns{{"index", false}, {"label"},   {"discs", false}, {"entries"},
                                              {"files"},        {"folders"}, {"bytes"},        {"size"}};
    cli::AppendDetailColumns(columns);
    cli::Listing listing(cli::FormOf(args), std::move(columns));
    catalogue::DiscTotals all;
    std::size_t allEntries = 0;
    for (const catalogue::Disc& disc : discs) {
        const catalogue::DiscTotals totals = catalogue::TotalsOf(entries, disc);
        const std::string_view label = entries.Text(disc.label);
        if (totals.unreadableSizes > 0) {
            cli::Warn("disc " + cli::Quoted(label) + ": " + std::to_string(totals.unreadableSizes) +
                      " file size(s) are not numbers and count as 0 bytes");
        }
        WarnIfHeld(totals.bytes, "the sizes of the disc " + cli::Quoted(label));
        const std::string size = catalogue::FormatSize(totals.bytes);
        values = {std::uint64_t{disc.first},
                  label,
                  {},
                  std::uint64_t{disc.entries},
                  std::uint64_t{totals.files},
                  std::uint64_t{totals.folders},
                  totals.bytes,
                  size};
        cli::AppendDetails(doc.RecordOf(disc), values);
        listing.Row(values);
        all += totals;
        allEntries += disc.entries;
    }
    WarnIfHeld(all.bytes, "the sizes of all discs");
    const std::string size = catalogue::FormatSize(all.bytes);
    values = {{},
              {},
              std::uint64_t{discs.size()},
              std::uint64_t{allEntries},
              std::uint64_t{all.files},
              std::uint64_t{all.folders},
              all.bytes,
              size};
    cli::AppendNoDetails(values);
    listing.Row(values);
    return cli::kExitOk;
}
