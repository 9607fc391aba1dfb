#include <iostream>
#include <optional>
#include <string>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Listing.h"
#include "search/HitFilter.h"
#include "search/IsoTime.h"
#include "search/SearchEngine.h"

namespace {

// Reads the limits the options give into `limits`; on a bad value the usage error's exit code.
std::optional<int> ReadLimits(const cli::CommandLine& args, search::HitLimits& limits) {
    for (const auto& [option, bound] :
         {std::pair{"--min-size", &limits.minSize}, {"--max-size", &limits.maxSize}}) {
        const std::optional<std::string> text = args.Value(option);
        if (!text) continue;
        *bound = search::ParseByteCount(*text);
        if (!*bound)
            return cli::UsageError("find", std::string(option) +
                                               " wants a number of bytes, or of K, M or G (1024, "
                                               "1024^2 or 1024^3 bytes), not " +
                                               cli::Quoted(*text));
    }
    for (const auto& [option, bound] : {std::pair{"--newer", &limits.newer}, {"--older", &limits.older}}) {
        const std::optional<std::string> text = args.Value(option);
        if (!text) continue;
        *bound = search::ParseIsoTime(*text);
        if (!*bound)
            return cli::UsageError("find", std::string(option) +
                                               " wants a date (2019-06-01) or a date and time "
                                               "(2019-06-01T12:00:00Z), not " +
                                               cli::Quoted(*text));
    }
    if (limits.minSize && limits.maxSize && *limits.minSize > *limits.maxSize)
        return cli::UsageError("find", "--min-size is more than --max-size: nothing could be found");
    if (limits.newer && limits.older && *limits.newer >= *limits.older)
        return cli::UsageError("find", "--newer is not before --older: nothing could be found");
    limits.disc = args.Value("--disc");
    return std::nullopt;
}

}  // namespace

// The Find command without a window: the same options, the same matches, the hits in catalogue order;
// limits on size, date and disc narrow them further.
int CmdFind(int argc, char** argv) {
    const cli::CommandLine args(argc, argv, {"--case", "--files-only", "--whole", "--json", "--csv"},
                                {"--min-size", "--max-size", "--newer", "--older", "--disc"});
    if (const auto stop = cli::CheckArguments(args, "find", 2, 2)) return *stop;

    const std::string& path = args.Positional()[0];
    const std::string& text = args.Positional()[1];
    if (text.empty()) return cli::UsageError("find", "the text to find is empty");
    search::HitLimits limits;
    if (const auto stop = ReadLimits(args, limits)) return *stop;
    const search::Options options{args.Has("--case"), !args.Has("--files-only"), args.Has("--whole")};
    // The refusal comes before the catalogue is read, as in the window.
    if (options.wholeName && text.find('*') != std::string::npos) {
        std::cerr << search::kStarWarning << '\n';
        return cli::kExitFailed;
    }

    CKavrelDoc doc;
    if (!cli::OpenCatalogue(path, doc)) return cli::kExitFailed;
    const EntryStore& entries = doc.Entries();
    // A label that names no disc is most likely mistyped: saying so beats saying nothing was found.
    if (limits.disc && catalogue::DiscsLabelled(entries, *limits.disc).empty())
        return cli::Fail("no disc is labelled " + cli::Quoted(*limits.disc) + " in " + path);
    cli::Listing listing(cli::FormOf(args), cli::Listing::EntryColumns({"index"}));
    std::size_t hits = 0;
    if (!limits.Any()) {
        hits = search::Scan(doc, text, options, [&](std::size_t i) { listing.EntryRow(entries, i); });
    } else {
        const search::HitFilter filter(entries, std::move(limits));
        search::Scan(doc, text, options, [&](std::size_t i) {
            if (!filter.Passes(i)) return;
            ++hits;
            listing.EntryRow(entries, i);
        });
    }
    if (hits == 0) {
        std::cout.flush();
        std::cerr << search::kNotFoundMessage << '\n';
        return cli::kExitFailed;
    }
    return cli::kExitOk;
}
