#include "scan/VerifyDisc.h"

#include <string_view>
#include <unordered_map>

#include "catalogue/CCDContent.h"
#include "catalogue/CKavrelDoc.h"
#include "scan/DiscDiff.h"
#include "scan/UpdateDisc.h"

namespace scan {

namespace {

constexpr std::size_t kFindings = static_cast<std::size_t>(Finding::New) + 1;

bool HasKnownSum(const EntryStore& store, const catalogue::Disc& disc) {
    if (!store.HasSums()) return false;
    for (std::size_t row = disc.first; row < disc.end; ++row)
        if (disc.Holds(store, row) && store.Sum(row).state == EntryStore::SumState::Known) return true;
    return false;
}

}  // namespace

const char* FindingText(Finding finding) {
    static constexpr const char* kTexts[kFindings] = {
        "same", "changed content", "changed size", "changed date", "missing", "unreadable", "new"};
    return kTexts[static_cast<std::size_t>(finding)];
}

std::vector<std::size_t> VerifyReport::Counts() const {
    std::vector<std::size_t> counts(kFindings);
    for (const VerifyItem& item : items) ++counts[static_cast<std::size_t>(item.finding)];
    return counts;
}

bool VerifyReport::Differs() const {
    for (const VerifyItem& item : items)
        if (item.finding != Finding::Same) return true;
    return false;
}

std::string VerifyReport::Summary() const {
    const std::vector<std::size_t> counts = Counts();
    std::string text;
    for (std::size_t f = 0; f < kFindings; ++f) {
        if (f) text += ", ";
        text += std::to_string(counts[f]) + " " + FindingText(static_cast<Finding>(f));
    }
    if (!contentsCompared) text += "; contents were not compared (the disc has no checksums)";
    if (cancelled) text += "; cancelled, only the files above were checked";
    return text;
}

std::vector<VerifyLine> DifferingLines(const EntryStore& store, const VerifyReport& report) {
    std::vector<VerifyLine> lines;
    for (const VerifyItem& item : report.items) {
        if (item.finding == Finding::Same) continue;
        const EntryStore& from = item.finding == Finding::New ? report.walked : store;
        lines.push_back({FindingText(item.finding), Where(from, item.row), item.reason});
    }
    return lines;
}

std::string NothingDiffersText(const VerifyReport& report) {
    const char* said = report.cancelled
                           ? "Nothing differs among the files checked before the verify was cancelled."
                           : "Nothing differs: the disc reads as it was catalogued.";
    return std::string(said) + "\n\n" + report.Summary();
}

std::optional<VerifyReport> VerifyDisc(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                       const std::string& source, std::string& refusal,
                                       const WalkWatch& watch) {
    refusal.clear();
    if (source.empty()) {
        refusal = kNoSourceMessage;
        return std::nullopt;
    }
    const EntryStore& store = doc.Entries();
    VerifyReport report;
    report.contentsCompared = HasKnownSum(store, disc);
    DiscWalker walker{std::string(store.Text(disc.label))};
    walker.Watch(watch);
    walker.SetChecksums(report.contentsCompared);
    report.cancelled = !walker.Walk(source, report.walked);
    const EntryStore& now = report.walked;
    if (!report.cancelled) {
        refusal = ReadRefusal(walker, source, now);
        if (!refusal.empty()) return std::nullopt;
    }
    // Missing and new files are known once every folder was listed, even when the reading was cancelled.
    const bool listed = walker.Listed();
    // A folder that could not be listed hides its files: they are unreadable, not missing.
    const auto unreadIn = [&walker](std::string_view path) -> const std::string* {
        for (const std::string& folder : walker.UnreadFolders())
            if (path.starts_with(folder)) return &folder;
        return nullptr;
    };

    std::unordered_map<std::string, std::size_t> found;
    for (std::size_t i = 0; i < now.Size(); ++i)
        if (now.Kind(i) == kKindFile) found.emplace(Where(now, i), i);
    std::vector<bool> matched(now.Size());
    for (std::size_t row = disc.first; row < disc.end; ++row) {
        if (!disc.Holds(store, row) || store.Kind(row) != kKindFile) continue;
        const auto at = found.find(Where(store, row));
        if (at == found.end()) {
            if (const std::string* folder = unreadIn(store.Path(row)))
                report.items.push_back(
                    {Finding::Unreadable, row, "the folder " + *folder + " could not be read"});
            else if (listed)
                report.items.push_back({Finding::Missing, row, {}});
            continue;
        }
        const std::size_t i = at->second;
        matched[i] = true;
        const EntryStore::FileSum was = store.Sum(row);
        const EntryStore::FileSum is = now.Sum(i);
        // A cancelled reading left the files after it unread: they were not checked.
        if (report.cancelled && report.contentsCompared && is.state == EntryStore::SumState::None) continue;
        Finding finding = Finding::Same;
        if (is.state == EntryStore::SumState::Unreadable)
            finding = Finding::Unreadable;
        else if (SizesDiffer(store.SizeText(row), now.SizeText(i)))
            finding = Finding::ChangedSize;
        else if (was.state == EntryStore::SumState::Known && is.state == EntryStore::SumState::Known)
            finding = was == is ? Finding::Same : Finding::ChangedContent;
        else if (TimesDiffer(store.Modified(row), now.Modified(i)))
            finding = Finding::ChangedDate;
        report.items.push_back({finding, row, std::string(now.ReadError(i))});
    }
    if (listed) {
        for (std::size_t i = 0; i < now.Size(); ++i)
            if (!matched[i] && now.Kind(i) == kKindFile) report.items.push_back({Finding::New, i, {}});
    }
    return report;
}

}  // namespace scan
