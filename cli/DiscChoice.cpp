#include "cli/DiscChoice.h"

#include <charconv>
#include <cstddef>
#include <string_view>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/EntryStore.h"
#include "cli/CliSupport.h"
#include "cli/CommandLine.h"
#include "scan/UpdateDisc.h"

namespace cli {

std::optional<catalogue::Disc> ChooseDisc(const EntryStore& entries, const CommandLine& args,
                                          const std::string& label, const std::string& file, bool single) {
    if (const std::optional<std::string> index = args.Value("--index")) {
        std::size_t row = 0;
        const char* end = index->data() + index->size();
        const auto [stop, error] = std::from_chars(index->data(), end, row);
        if (index->empty() || error != std::errc() || stop != end) {
            Fail("--index takes the number of a disc's first entry, as `discs` prints it, not " +
                 Quoted(*index));
            return std::nullopt;
        }
        const catalogue::Disc disc = catalogue::DiscAt(entries, row);
        if (disc.entries == 0 || disc.first != row || entries.Text(disc.label) != label) {
            Fail("no disc labelled " + Quoted(label) + " begins at entry " + *index + " in " + file);
            return std::nullopt;
        }
        return disc;
    }
    const std::vector<catalogue::Disc> discs = catalogue::DiscsLabelled(entries, label);
    if (discs.empty()) {
        Fail("no disc is labelled " + Quoted(label) + " in " + file);
        return std::nullopt;
    }
    if (single && discs.size() > 1) {
        std::string text = Quoted(label) + " names " + std::to_string(discs.size()) + " discs in " + file +
                           "; choose one with --index N:";
        for (const catalogue::Disc& disc : discs)
            text += "\n  --index " + std::to_string(disc.first) + "  (" +
                    Counted(disc.entries, "entry", "entries") + ")";
        Fail(text);
        return std::nullopt;
    }
    return discs.front();
}

std::optional<catalogue::Disc> DiscToReadAgain(const CommandLine& args, CKavrelDoc& doc,
                                               std::string& source) {
    const std::string& path = args.Positional()[0];
    if (!OpenCatalogue(path, doc)) return std::nullopt;
    const std::optional<catalogue::Disc> disc =
        ChooseDisc(doc.Entries(), args, args.Positional()[1], path, true);
    if (disc)
        source = scan::UpdateSource(doc, *disc, args.Positional().size() > 2 ? args.Positional()[2] : "");
    return disc;
}

}  // namespace cli
