#include "search/SearchEngine.h"

#include "catalogue/CKavrelDoc.h"
#include "docview/Messages.h"
#include "search/NameMatcher.h"

namespace search {

namespace {

void ReportHit(CKavrelDoc& doc, std::size_t index) {
    const EntryStore& entries = doc.Entries();
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

}  // namespace

void Find(CKavrelDoc& doc, IMessages& messages, IResultsPane& pane, const std::string& text,
          const Options& options) {
    const bool whole = options.wholeName;
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
    const std::size_t hits = Scan(doc, text, options, [&doc](std::size_t index) { ReportHit(doc, index); });
    if (hits == 0) {
        messages.Tell(kNotFoundMessage);
        pane.HideResultsPane();
    }
}

std::size_t Scan(const CKavrelDoc& doc, const std::string& text, const Options& options,
                 const std::function<void(std::size_t index)>& hit) {
    const EntryStore& entries = doc.Entries();
    const NameMatcher matcher(text, options.caseSensitive, options.wholeName);
    return matcher.ScanEntries(entries, !options.fileAndFolder, hit);
}

}  // namespace search
