#include "search/SearchEngine.h"

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "search/NameMatcher.h"

namespace search {

Findings Find(const CKavrelDoc& doc, const std::string& text, const Options& options) {
    if (options.wholeName && text.find('*') != std::string::npos) return {Outcome::kStarRefused, {}};
    if (doc.GetEntryCount() == 0) return {Outcome::kNoEntries, {}};
    Findings found;
    Scan(doc, text, options, [&found](std::size_t index) { found.hits.push_back(index); });
    return found;
}

void ListHits(CKavrelDoc& doc, const std::vector<std::size_t>& hits) {
    const EntryStore& entries = doc.Entries();
    doc.m_bResultRow = 0;
    doc.UpdateAllViews(nullptr, hint::kResultRow);
    for (const std::size_t index : hits) {
        doc.m_bResultRow = 1;
        doc.m_strFoundName.assign(entries.Name(index));
        doc.m_strFoundLabel.assign(entries.Label(index));
        doc.m_strFoundPath.assign(entries.Path(index));
        doc.m_strFoundSize.assign(entries.SizeText(index));
        doc.m_strFoundKind.assign(entries.Kind(index));
        doc.m_nFoundRow = index;
        doc.UpdateAllViews(nullptr, hint::kResultRow);
        doc.m_bResultRow = 0;
    }
}

std::size_t Scan(const CKavrelDoc& doc, const std::string& text, const Options& options,
                 const std::function<void(std::size_t index)>& hit) {
    const EntryStore& entries = doc.Entries();
    const NameMatcher matcher(text, options.caseSensitive, options.wholeName);
    return matcher.ScanEntries(entries, !options.fileAndFolder, hit);
}

}  // namespace search
