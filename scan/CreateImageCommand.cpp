#include "scan/CreateImageCommand.h"

#include <algorithm>
#include <new>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/Hints.h"
#include "docview/Messages.h"
#include "scan/DiscWalker.h"

namespace scan {

bool IsLabelAccepted(std::string_view label) {
    return !label.empty() && label.front() != ' ';
}

std::string ImageRefusedMessage(const std::string& image, const std::string& reason) {
    return "Cannot read the disc image \"" + image + "\": " + reason;
}

std::string WalkRefusedMessage(const DiscWalker& walker, const std::string& drive) {
    if (!walker.Image().empty()) return ImageRefusedMessage(walker.Image(), walker.Refusal());
    return "Cannot read \"" + drive + "\": " + walker.Refusal();
}

bool ConfirmSameLabels(IMessages& messages, const EntryStore& store, const std::vector<std::string>& labels) {
    constexpr const char* kShownAsOne =
        " Where the two discs stand next to each other they will be shown as one disc.";
    for (auto label = labels.begin(); label != labels.end(); ++label) {
        // Asked once for a label, at the first disc that carries it.
        if (std::find(labels.begin(), label, *label) != label) continue;
        std::string question;
        if (catalogue::FirstDisc(store, *label).entries > 0)
            question = "A disc labelled \"" + *label +
                       "\" is already in the catalogue. Catalogue this disc under the same label?";
        else if (std::count(label, labels.end(), *label) > 1)
            question = "More than one disc image is labelled \"" + *label +
                       "\". Catalogue them under the same label?";
        else
            continue;
        const msg::Answer answer =
            messages.Show({question + kShownAsOne, {}, msg::Buttons::YesNo, msg::Icon::Exclamation, true});
        if (answer != msg::Answer::Yes) return false;
    }
    return true;
}

namespace {

// The record goes with the disc's first row; a disc that added nothing has no row to carry it.
void KeepRecord(CKavrelDoc& doc, std::size_t first, std::size_t added, const catalogue::DiscRecord& record) {
    if (added == 0) return;
    try {
        doc.EditDiscRecords().Set(first, record);
    } catch (const std::bad_alloc&) {
        // As with the dates: the entries matter more.
    }
}

}  // namespace

std::size_t AppendWalked(CKavrelDoc& doc, const EntryStore& walked, const catalogue::DiscRecord& record) {
    const std::size_t first = doc.GetEntryCount();
    doc.EditEntries().Reserve(first + walked.Size());
    for (std::size_t i = 0; i < walked.Size(); ++i) {
        // Once memory has run out one "Out of memory" is enough; the entries added so far stay.
        if (!doc.AppendEntry(walked.Label(i), walked.Name(i), walked.Kind(i), walked.Path(i),
                             walked.SizeText(i))) {
            KeepRecord(doc, first, i, record);
            return i;
        }
        if (!walked.HasDates() && !walked.HasSums()) continue;
        try {
            const std::size_t row = doc.GetEntryCount() - 1;
            doc.EditEntries().SetModified(row, walked.Modified(i));
            if (walked.Sum(i).state == EntryStore::SumState::Unreadable)
                doc.EditEntries().SetUnreadable(row, std::string(walked.ReadError(i)));
            else
                doc.EditEntries().SetSum(row, walked.Sum(i));
        } catch (const std::bad_alloc&) {
            // The entries matter more than their dates: without room for the times they go on without.
        }
    }
    KeepRecord(doc, first, walked.Size(), record);
    return walked.Size();
}

void AnnounceDisc(CKavrelDoc& doc, const std::string& label) {
    doc.m_strLastLabel = label;
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
}

void FinishCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const EntryStore& walked, const catalogue::DiscRecord& record) {
    AppendWalked(doc, walked, record);
    messages.Tell(kFinishedMessage);
    AnnounceDisc(doc, label);
}

Outcome RunCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const std::string& drive, bool checksums) {
    if (!IsLabelAccepted(label)) {
        messages.Tell(kBadLabelMessage);
        return Outcome::BadLabel;
    }
    DiscWalker walker(label);
    walker.SetChecksums(checksums);
    EntryStore walked;
    walker.Walk(drive, walked);
    if (!walker.Refusal().empty()) {
        messages.Tell(WalkRefusedMessage(walker, drive), msg::Icon::Stop);
        return Outcome::Refused;
    }
    if (walker.RanOutOfMemory()) messages.Tell("Out of memory", msg::Icon::Stop);
    FinishCreateImage(doc, messages, label, walked, walker.Record());
    return Outcome::Done;
}

}  // namespace scan
