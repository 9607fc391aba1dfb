#include <iostream>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/FileSum.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscChoice.h"
#include "cli/Listing.h"
#include "scan/UpdateDisc.h"

namespace {

using Value = cli::Listing::Value;

// One row per difference: the entry as the walk found it (as the catalogue had it, for a removed one),
// and for a changed or moved one what the catalogue had where it differs; then the files whose bytes
// changed (both checksums) and those that could not be read (the reason, and the checksum kept).
void ListDifferences(cli::Listing& listing, const EntryStore& old, const scan::UpdatePlan& plan) {
    const EntryStore& now = plan.walked;
    const scan::DiscDiff& diff = plan.diff;
    const auto row = [&listing](std::string_view change, const EntryStore& store, std::size_t i,
                                Value oldPath, Value oldSize, Value oldModified, Value reason = {},
                                Value sum = {}, Value oldSum = {}) {
        listing.Row({change, store.Name(i), store.Kind(i), store.Path(i), store.SizeText(i),
                     cli::Listing::Time{store.Modified(i)}, oldPath, oldSize, oldModified, reason, sum,
                     oldSum});
    };
    for (const std::size_t i : diff.added) row("added", now, i, {}, {}, {});
    for (const std::size_t i : diff.removed) row("removed", old, i, {}, {}, {});
    for (const scan::DiffPair& pair : diff.changed)
        row("changed", now, pair.now, {}, old.SizeText(pair.old), cli::Listing::Time{old.Modified(pair.old)});
    for (const scan::DiffPair& pair : diff.moved) row("moved", now, pair.now, old.Path(pair.old), {}, {});
    for (const scan::DiffPair& pair : plan.contentChanged) {
        const std::string sum = catalogue::SumText(now.Sum(pair.now));
        const std::string oldSum = catalogue::SumText(old.Sum(pair.old));
        row("content", now, pair.now, {}, {}, {}, {}, std::string_view(sum), std::string_view(oldSum));
    }
    for (const scan::UpdatePlan::Unreadable& file : plan.unreadable) {
        // A checksum the walk kept from the catalogue is the old one; the file's bytes gave none.
        const std::string kept = catalogue::SumText(now.Sum(file.row));
        row("unreadable", now, file.row, {}, {}, {}, std::string_view(file.reason), {},
            kept.empty() ? Value{} : Value{std::string_view(kept)});
    }
}
}  // namespace

// Walks a catalogued disc again and puts what it holds now in place of its entries, where the disc stands.
int CmdUpdate(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--dry-run", "--checksums", "--json", "--csv"}, {"--index"});
    if (const auto stop = cli::CheckArguments(args, "update", 2, 3)) return *stop;

    const std::string& path = args.Positional()[0];
    CKavrelDoc doc;
    std::string source;
    const std::optional<catalogue::Disc> disc = cli::DiscToReadAgain(args, doc, source);
    if (!disc) return cli::kExitFailed;
    std::string refusal;
    const std::optional<scan::UpdatePlan> plan =
        scan::PlanUpdate(doc, *disc, source, refusal, args.Has("--checksums"));
    if (!plan) return cli::Fail(cli::Shown(refusal));

    const cli::Form form = cli::FormOf(args);
    {
        cli::Listing listing(form, {{"change"},
                                    {"name"},
                                    {"kind"},
                                    {"path"},
                                    {"size"},
                                    {"modified"},
                                    {"old_path"},
                                    {"old_size"},
                                    {"old_modified"},
                                    {"reason"},
                                    {"checksum", false},
                                    {"old_checksum", false}});
        ListDifferences(listing, doc.Entries(), *plan);
    }
    std::string summary = scan::PlanCounts(*plan);
    if (!plan->Tells()) {
        summary = scan::kNothingDiffersMessage;
    } else if (!plan->Changes()) {
        summary += "; nothing to change";
    } else if (args.Has("--dry-run")) {
        summary += "; nothing changed (--dry-run)";
    } else {
        if (scan::ApplyUpdate(doc, *plan).entries == 0) return cli::Fail("Out of memory");
        if (!cli::SaveCatalogue(path, doc)) return cli::kExitFailed;
        summary += "; the disc is updated";
    }
    // The listings of --json and --csv stay whole for the programs that read them.
    (form == cli::Form::Text ? std::cout : std::cerr) << summary << '\n';
    return cli::kExitOk;
}
