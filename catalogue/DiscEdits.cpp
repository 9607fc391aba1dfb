#include "catalogue/DiscEdits.h"

#include <map>
#include <new>
#include <string>

#include "catalogue/CKavrelDoc.h"

namespace catalogue {

namespace {

void CopySum(const EntryStore& from, std::size_t row, EntryStore& to, std::size_t at) {
    if (from.Sum(row).state == EntryStore::SumState::Unreadable)
        to.SetUnreadable(at, std::string(from.ReadError(row)));
    else
        to.SetSum(at, from.Sum(row));
}

}  // namespace

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
        entries.SetSum(i, {});
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

Disc ReplaceDisc(CKavrelDoc& doc, const Disc& disc, const EntryStore& walked, DiscRecord record) {
    const EntryStore& entries = doc.Entries();
    if (disc.entries == 0 || walked.Size() == 0 || disc.end > entries.Size()) return {};
    try {
        if (const DiscRecord* old = doc.RecordOf(disc)) {
            record.location = old->location;
            record.notes = old->notes;
        }
        const std::string label(entries.Text(disc.label));
        // Unlabelled entries inside the range are seldom there (files from elsewhere); only then is the
        // walk copied, so that one replace puts both in place.
        EntryStore withKept;
        for (std::size_t row = disc.first; row < disc.end; ++row) {
            if (disc.Holds(entries, row) || entries.IsDeleted(row)) continue;
            if (withKept.Size() == 0) {
                for (std::size_t i = 0; i < walked.Size(); ++i) {
                    withKept.Append({}, walked.Name(i), walked.Kind(i), walked.Path(i), walked.SizeText(i));
                    withKept.SetModified(i, walked.Modified(i));
                    CopySum(walked, i, withKept, i);
                }
            }
            const std::size_t kept = withKept.Append({}, entries.Name(row), entries.Kind(row),
                                                     entries.Path(row), entries.SizeText(row));
            withKept.SetModified(kept, entries.Modified(row));
            CopySum(entries, row, withKept, kept);
        }
        const EntryStore& source = withKept.Size() ? withKept : walked;
        // The record's node is made before anything changes, so that what follows cannot fail half done.
        std::map<std::size_t, DiscRecord> made;
        made.emplace(disc.first, std::move(record));
        auto node = made.extract(made.begin());
        // Only the kept rows keep no label: the walk's rows take the disc's below, the kept ones after.
        doc.EditEntries().ReplaceRows(disc.first, disc.end, source, label);
        for (std::size_t row = disc.first + walked.Size(); row < disc.first + source.Size(); ++row)
            doc.EditEntries().SetLabel(row, {});
        const std::size_t newEnd = disc.first + source.Size();
        doc.EditDiscRecords().Replace(disc.first, disc.end, newEnd);
        doc.EditDiscRecords().Put(std::move(node));
        doc.SetModifiedFlag(true);
        return DiscAt(doc.Entries(), disc.first);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace catalogue
