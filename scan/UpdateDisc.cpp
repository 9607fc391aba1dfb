#include "scan/UpdateDisc.h"

#include <algorithm>

#include "catalogue/CCDContent.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/DiscEdits.h"
#include "platform/Location.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"

namespace scan {

std::string UpdateSource(const CKavrelDoc& doc, const catalogue::Disc& disc, const std::string& named) {
    if (!named.empty()) return platform::Location(named).Absolute().Text();
    const catalogue::DiscRecord* record = doc.RecordOf(disc);
    return record ? record->source : std::string();
}

std::string ReadRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked) {
    if (!walker.Refusal().empty()) return WalkRefusedMessage(walker, source);
    if (walker.RanOutOfMemory()) return "Out of memory";
    if (walked.Size() == 0) return "Nothing was read from " + source + ": the disc is left as it was.";
    return {};
}

std::string UpdateRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked) {
    if (std::string refusal = ReadRefusal(walker, source, walked); !refusal.empty()) return refusal;
    // Its entries would count as removed, and an update would drop what the catalogue knows of them.
    if (!walker.UnreadFolders().empty())
        return "The folder " + walker.UnreadFolders().front() + " of " + source +
               " could not be read: the disc is left as it was.";
    return {};
}

bool HasChecksums(const EntryStore& store, const catalogue::Disc& disc) {
    if (!store.HasSums()) return false;
    for (std::size_t row = disc.first; row < disc.end; ++row)
        if (disc.Holds(store, row) && store.Sum(row).state != EntryStore::SumState::None) return true;
    return false;
}

std::string Where(const EntryStore& store, std::size_t row) {
    return std::string(store.Path(row)).append(store.Name(row));
}

namespace {

// Compares the checksums of the files the walk found in their place with the same size and time, and
// lists the walk's unreadable files. Where one now unreadable had a checksum, the walk takes that checksum:
// the bytes were most likely not changed, and applying the plan must not lose what was known of them.
void CompareSums(const EntryStore& store, UpdatePlan& plan) {
    EntryStore& walked = plan.walked;
    if (!walked.HasSums()) return;
    for (const auto& [row, reason] : walked.ReadErrors())
        if (walked.Kind(row) == kKindFile) plan.unreadable.push_back({row, reason});
    const auto keepKnown = [&](std::size_t row, std::size_t i) {
        const bool keep = store.Sum(row).state == EntryStore::SumState::Known &&
                          walked.Sum(i).state == EntryStore::SumState::Unreadable;
        if (keep) walked.SetSum(i, store.Sum(row));
        return keep;
    };
    // Told in the catalogue's order.
    std::vector<DiffPair> same = plan.diff.same;
    std::ranges::sort(same, {}, &DiffPair::old);
    for (const auto& [row, i] : same) {
        if (store.Kind(row) != kKindFile || keepKnown(row, i)) continue;
        const EntryStore::FileSum was = store.Sum(row);
        const EntryStore::FileSum is = walked.Sum(i);
        if (was.state == EntryStore::SumState::Known && is.state == EntryStore::SumState::Known) {
            if (was != is) plan.contentChanged.push_back({row, i});
        } else if (was != is || store.ReadError(row) != walked.ReadError(i)) {
            ++plan.sumsChanged;
        }
    }
    // A moved file has its size and time too.
    for (const DiffPair& pair : plan.diff.moved) keepKnown(pair.old, pair.now);
}

}  // namespace

UpdatePlan MakePlan(const CKavrelDoc& doc, const catalogue::Disc& disc, std::string source, EntryStore walked,
                    catalogue::DiscRecord record) {
    UpdatePlan plan{disc, std::move(source), std::move(walked), std::move(record), {}, {}, {}, 0};
    plan.diff = DiffDisc(doc.Entries(), disc, plan.walked);
    CompareSums(doc.Entries(), plan);
    return plan;
}

std::optional<UpdatePlan> PlanUpdate(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                     const std::string& source, std::string& refusal, bool checksums) {
    if (source.empty()) {
        refusal = kNoSourceMessage;
        return std::nullopt;
    }
    DiscWalker walker{std::string(doc.Entries().Text(disc.label))};
    walker.SetChecksums(checksums || HasChecksums(doc.Entries(), disc));
    EntryStore walked;
    walker.Walk(source, walked);
    refusal = UpdateRefusal(walker, source, walked);
    if (!refusal.empty()) return std::nullopt;
    return MakePlan(doc, disc, source, std::move(walked), walker.Record());
}

std::string DiffCounts(const DiscDiff& diff) {
    return std::to_string(diff.added.size()) + " added, " + std::to_string(diff.removed.size()) +
           " removed, " + std::to_string(diff.changed.size()) + " changed, " +
           std::to_string(diff.moved.size()) + " moved";
}

std::string PlanCounts(const UpdatePlan& plan) {
    std::string counts = DiffCounts(plan.diff);
    if (plan.SumsRead())
        counts += ", " + std::to_string(plan.contentChanged.size()) + " changed content, " +
                  std::to_string(plan.unreadable.size()) + " unreadable";
    if (plan.sumsChanged > 0)
        counts += "; " + std::to_string(plan.sumsChanged) + " new or changed checksum" +
                  (plan.sumsChanged == 1 ? "" : "s");
    return counts;
}

namespace {

std::string Titled(const char* what, std::size_t count) {
    return std::string(what) + " (" + std::to_string(count) + ")";
}

}  // namespace

std::vector<DiffList> DescribeDiff(const EntryStore& store, const UpdatePlan& plan,
                                   const std::function<std::string(std::int64_t)>& timeText) {
    const DiscDiff& diff = plan.diff;
    const EntryStore& now = plan.walked;
    std::vector<DiffList> lists{DiffList{Titled("Added", diff.added.size()), {}},
                                DiffList{Titled("Removed", diff.removed.size()), {}},
                                DiffList{Titled("Changed", diff.changed.size()), {}},
                                DiffList{Titled("Moved", diff.moved.size()), {}}};
    for (const std::size_t row : diff.added) lists[0].lines.push_back(Where(now, row));
    for (const std::size_t row : diff.removed) lists[1].lines.push_back(Where(store, row));
    for (const DiffPair& pair : diff.changed) {
        std::string line = Where(now, pair.now);
        if (store.Kind(pair.old) != now.Kind(pair.now))
            line.append("  ").append(store.Kind(pair.old)).append("-> ").append(now.Kind(pair.now));
        if (SizesDiffer(store.SizeText(pair.old), now.SizeText(pair.now)))
            line.append("  size ")
                .append(store.SizeText(pair.old))
                .append(" -> ")
                .append(now.SizeText(pair.now));
        if (TimesDiffer(store.Modified(pair.old), now.Modified(pair.now)))
            line.append("  modified ")
                .append(timeText(store.Modified(pair.old)))
                .append(" -> ")
                .append(timeText(now.Modified(pair.now)));
        lists[2].lines.push_back(std::move(line));
    }
    for (const DiffPair& pair : diff.moved)
        lists[3].lines.push_back(Where(store, pair.old) + " -> " + Where(now, pair.now));
    if (!plan.SumsRead()) return lists;
    DiffList& content = lists.emplace_back(Titled("Changed content", plan.contentChanged.size()));
    for (const DiffPair& pair : plan.contentChanged) content.lines.push_back(Where(now, pair.now));
    DiffList& unreadable = lists.emplace_back(Titled("Unreadable", plan.unreadable.size()));
    for (const UpdatePlan::Unreadable& file : plan.unreadable)
        unreadable.lines.push_back(Where(now, file.row) + "  " + file.reason);
    return lists;
}

catalogue::Disc ApplyUpdate(CKavrelDoc& doc, const UpdatePlan& plan) {
    if (!plan.Changes()) return plan.disc;
    return catalogue::ReplaceDisc(doc, plan.disc, plan.walked, plan.record);
}

}  // namespace scan
