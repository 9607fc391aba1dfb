#include "scan/UpdateDisc.h"

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

std::string UpdateRefusal(const DiscWalker& walker, const std::string& source, const EntryStore& walked) {
    if (!walker.Refusal().empty()) return WalkRefusedMessage(walker, source);
    if (walker.RanOutOfMemory()) return "Out of memory";
    if (walked.Size() == 0) return "Nothing was read from " + source + ": the disc is left as it was.";
    return {};
}

UpdatePlan MakePlan(const CKavrelDoc& doc, const catalogue::Disc& disc, std::string source, EntryStore walked,
                    catalogue::DiscRecord record) {
    UpdatePlan plan{disc, std::move(source), std::move(walked), std::move(record), {}};
    plan.diff = DiffDisc(doc.Entries(), disc, plan.walked);
    return plan;
}

std::optional<UpdatePlan> PlanUpdate(const CKavrelDoc& doc, const catalogue::Disc& disc,
                                     const std::string& source, std::string& refusal) {
    if (source.empty()) {
        refusal = kNoSourceMessage;
        return std::nullopt;
    }
    DiscWalker walker{std::string(doc.Entries().Text(disc.label))};
    EntryStore walked;
    walker.Walk(source, walked);
    refusal = UpdateRefusal(walker, source, walked);
    if (!refusal.empty()) return std::nullopt;
    return MakePlan(doc, disc, source, std::move(walked), walker.Record());
}

catalogue::Disc ApplyUpdate(CKavrelDoc& doc, const UpdatePlan& plan) {
    if (plan.diff.Empty()) return plan.disc;
    return catalogue::ReplaceDisc(doc, plan.disc, plan.walked, plan.record);
}

}  // namespace scan
