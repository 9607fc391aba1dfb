#include "scan/CreateImageCommand.h"

#include "catalogue/CKavrelDoc.h"
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

std::size_t AppendWalked(CKavrelDoc& doc, const EntryStore& walked) {
    doc.EditEntries().Reserve(doc.GetEntryCount() + walked.Size());
    for (std::size_t i = 0; i < walked.Size(); ++i) {
        // Once memory has run out one "Out of memory" is enough; the entries added so far stay.
        if (!doc.AppendEntry(walked.Label(i), walked.Name(i), walked.Kind(i), walked.Path(i),
                             walked.SizeText(i)))
            return i;
    }
    return walked.Size();
}

void AnnounceDisc(CKavrelDoc& doc, const std::string& label) {
    doc.m_strLastLabel = label;
    doc.UpdateAllViews(nullptr, hint::kDiscAdded);
}

void FinishCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const EntryStore& walked) {
    AppendWalked(doc, walked);
    messages.Tell(kFinishedMessage);
    AnnounceDisc(doc, label);
}

Outcome RunCreateImage(CKavrelDoc& doc, IMessages& messages, const std::string& label,
                       const std::string& drive) {
    if (!IsLabelAccepted(label)) {
        messages.Tell(kBadLabelMessage);
        return Outcome::BadLabel;
    }
    DiscWalker walker(label);
    EntryStore walked;
    walker.Walk(drive, walked);
    if (!walker.Refusal().empty()) {
        messages.Tell(ImageRefusedMessage(walker.Image(), walker.Refusal()), msg::Icon::Stop);
        return Outcome::Refused;
    }
    if (walker.RanOutOfMemory()) messages.Tell("Out of memory", msg::Icon::Stop);
    FinishCreateImage(doc, messages, label, walked);
    return Outcome::Done;
}

}  // namespace scan
