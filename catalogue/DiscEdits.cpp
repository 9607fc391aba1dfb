#include "catalogue/DiscEdits.h"

#include "catalogue/CKavrelDoc.h"

namespace catalogue {

std::size_t DeleteDisc(CKavrelDoc& doc, const Disc& disc) {
    EntryStore& entries = doc.EditEntries();
    std::size_t blanked = 0;
    for (std::size_t i = disc.first; i < disc.end && i < entries.Size(); ++i) {
        if (!disc.Holds(entries, i)) continue;
        entries.SetKind(i, {});
        entries.SetName(i, {});
        entries.SetPath(i, {});
        entries.SetLabel(i, {});
        entries.SetSize(i, {});
        entries.SetModified(i, EntryStore::kUnknownTime);
        ++blanked;
    }
    if (blanked) doc.EditDiscRecords().Erase(disc.first, disc.end);
    if (entries.Size() > 0) doc.SetModifiedFlag(true);
    return blanked;
}

std::size_t RelabelDisc(CKavrelDoc& doc, const Disc& disc, std::string_view newLabel) {
    EntryStore& entries = doc.EditEntries();
    std::size_t relabelled = 0;
    for (std::size_t i = disc.first; i < disc.end && i < entries.Size(); ++i) {
        // Holds compares with the label the disc had: check before the first row is relabelled.
        if (!disc.Holds(entries, i)) continue;
        entries.SetLabel(i, newLabel);
        ++relabelled;
    }
    doc.SetModifiedFlag(true);
    return relabelled;
}

}  // namespace catalogue
