#include <iostream>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/FileSum.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DiscChoice.h"
#include "cli/Listing.h"
#include "scan/UpdateDisc.h"
#include "scan/VerifyDisc.h"

// Reads a catalogued disc again and says, file by file, whether it is still as catalogued.
int CmdVerify(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--json", "--csv"}, {"--index"});
    if (const auto stop = cli::CheckArguments(args, "verify", 2, 3)) return *stop;

    CKavrelDoc doc;
    std::string source;
    const std::optional<catalogue::Disc> disc = cli::DiscToReadAgain(args, doc, source);
    if (!disc) return cli::kExitFailed;
    std::string refusal;
    const std::optional<scan::VerifyReport> report = scan::VerifyDisc(doc, *disc, source, refusal);
    if (!report) return cli::Fail(cli::Shown(refusal));

    const cli::Form form = cli::FormOf(args);
    {
        cli::Listing listing(form, {{"result"}, {"name"}, {"path"}, {"size"}, {"checksum"}, {"reason"}});
        const EntryStore& entries = doc.Entries();
        for (const scan::VerifyItem& item : report->items) {
            // A new file is described as the disc has it, any other as the catalogue had it.
            const EntryStore& from = item.finding == scan::Finding::New ? report->walked : entries;
            const std::string sum = catalogue::SumText(from.Sum(item.row));
            listing.Row({scan::FindingText(item.finding), from.Name(item.row), from.Path(item.row),
                         from.SizeText(item.row), std::string_view(sum), std::string_view(item.reason)});
        }
    }
    (form == cli::Form::Text ? std::cout : std::cerr) << report->Summary() << '\n';
    return report->Differs() ? cli::kExitFailed : cli::kExitOk;
}
