#include "search/SearchEngine.h"

#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"
#include "search/NameMatcher.h"

namespace search {

namespace {

bool IsWholeName(int code) {
    return code % 10 == kWholeWord;
}
bool IncludesFolders(int code) {
    return code / 10 % 10 == 1;
}
bool IsCaseSensitive(int code) {
    return code / 100 % 10 == 1;
}

void ReportHit(CKavrelDoc& doc, std::size_t index) {
    const EntryStore& entries = doc.Entries();
    doc.m_bResultRow = 1;
    doc.m_strFoundName.assign(entries.Name(index));
    doc.m_strFoundLabel.assign(entries.Label(index));
    doc.m_strFoundPath.assign(entries.Path(index));
    doc.m_strFoundSize.assign(entries.SizeText(index));
    doc.m_strFoundKind.assign(entries.Kind(index));
    doc.UpdateAllViews(nullptr, hint::kResultRow);
    doc.m_bResultRow = 0;
}

}  // namespace

void Find(CKavrelDoc& doc, IMessages& messages, IResultsPane& pane, const std::string& text, int code) {
    const bool whole = IsWholeName(code);
    if (whole && text.find('*') != std::string::npos) {
        messages.Tell(kStarWarning);
        return;
    }
    if (doc.GetEntryCount() == 0) {
        if (whole) {
            messages.Tell(kNotFoundMessage);
            if (!pane.IsResultsHidden()) pane.HideResultsPane();
        }
        return;
    }
    if (pane.IsResultsHidden()) pane.ShowResultsPane();
    doc.m_bResultRow = 0;
    doc.UpdateAllViews(nullptr, hint::kResultRow);
    const std::size_t hits = Scan(doc, text, code, [&doc](std::size_t index) { ReportHit(doc, index); });
    if (hits == 0) {
        messages.Tell(kNotFoundMessage);
        pane.HideResultsPane();
    }
}

std::size_t Scan(const CKavrelDoc& doc, const std::string& text, int code,
                 const std::function<void(std::size_t index)>& hit) {
    const EntryStore& entries = doc.Entries();
    const NameMatcher matcher(text, IsCaseSensitive(code), IsWholeName(code));
    // Comparing interned ids keeps the kind test off the text; kNoId means no entry is a folder.
    const EntryStore::TextId skippedKind =
        IncludesFolders(code) ? EntryStore::kNoId : entries.FindText(kKindFolder);
    const bool skipsFolders = skippedKind != EntryStore::kNoId;
    std::size_t hits = 0;
    const std::size_t count = entries.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (skipsFolders && entries.KindId(i) == skippedKind) continue;
        const std::string_view name = entries.Name(i);
        // Only deleted entries have empty names in practice, and they must stay invisible to any pattern.
        if (name.empty() && entries.IsDeleted(i)) continue;
        if (!matcher.Matches(name)) continue;
        ++hits;
        hit(i);
    }
    return hits;
}

}  // namespace search
