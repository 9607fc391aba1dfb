#include "catalogue/DiscEdits.h"

#include "catalogue/CKavrelDoc.h"

namespace catalogue {

namespace {

// Labels are interned: comparing ids avoids a string compare per entry on catalogues of millions.
// A label no entry carries (kNoId) matches nothing; the empty label must never match either, since
// blank entries carry it and a disc is only ever named by a non-empty label.
EntryStore::TextId LabelIdOf(const EntryStore& entries, std::string_view label) {
    return label.empty() ? EntryStore::kNoId : entries.FindText(label);
}

}  // namespace

std::size_t DeleteDisc(CKavrelDoc& doc, std::string_view label) {
    EntryStore& entries = doc.EditEntries();
    const EntryStore::TextId id = LabelIdOf(entries, label);
    std::size_t blanked = 0;
    for (std::size_t i = 0; id != EntryStore::kNoId && i < entries.Size(); ++i) {
        if (entries.LabelId(i) != id) continue;
        entries.SetKind(i, {});
        entries.SetName(i, {});
        entries.SetPath(i, {});
        entries.SetLabel(i, {});
        entries.SetSize(i, {});
        ++blanked;
    }
    if (entries.Size() > 0) doc.SetModifiedFlag(true);
    return blanked;
}

std::size_t RelabelEntries(CKavrelDoc& doc, std::string_view oldLabel, std::string_view newLabel) {
    EntryStore& entries = doc.EditEntries();
    const EntryStore::TextId id = LabelIdOf(entries, oldLabel);
    std::size_t relabelled = 0;
    for (std::size_t i = 0; id != EntryStore::kNoId && i < entries.Size(); ++i) {
        if (entries.LabelId(i) != id) continue;
        entries.SetLabel(i, newLabel);
        ++relabelled;
    }
    doc.SetModifiedFlag(true);
    return relabelled;
}

}  // namespace catalogue
