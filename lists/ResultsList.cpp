#include "lists/ResultsList.h"

#include <string>

#include "catalogue/CKavrelDoc.h"

ResultsList::ResultsList(CKavrelDoc* doc) : m_pDoc(doc) {
    m_model.SetDiscRecords(&doc->DiscRecords());
}

void ResultsList::OnInitialUpdate() {
    m_model.SetColumns({{"File Name", Qt::AlignLeft, 200},
                        {"Impress", Qt::AlignHCenter, 100},
                        {"Path Name", Qt::AlignLeft, 300},
                        {"Size(bits)", Qt::AlignHCenter, 138},
                        {"Modified", Qt::AlignLeft, 160},
                        {"Location", Qt::AlignLeft, 150}});
}

void ResultsList::OnUpdate(int hint) {
    if (hint != hint::kResultRow) return;
    if (m_pDoc->m_bResultRow == 0) {
        m_model.ClearRows();
        m_lastDisc = {};
        return;
    }
    const EntryStore& store = m_pDoc->Entries();
    const std::size_t row = m_pDoc->m_nFoundRow;
    std::int64_t modified = EntryStore::kUnknownTime;
    std::size_t disc = catalogue::kAnyDisc;
    if (row < store.Size()) {
        modified = store.Modified(row);
        // Hits come in catalogue order, mostly many from one disc: finding the disc once for them all keeps
        // a search of a million hits from reading each one's disc again.
        if (!m_lastDisc.Holds(store, row)) m_lastDisc = catalogue::DiscAt(store, row);
        if (m_lastDisc.entries > 0) disc = m_lastDisc.first;
    }
    m_model.AddHitOnTop(m_pDoc->m_strFoundLabel, m_pDoc->m_strFoundName, m_pDoc->m_strFoundKind,
                        m_pDoc->m_strFoundPath, m_pDoc->m_strFoundSize, row, modified, disc);
}

bool ResultsList::Pick(int row, CView* sender) {
    return PickHit(row, sender, hint::kPickDisc);
}

bool ResultsList::ShowInFolder(int row, CView* sender) {
    return PickHit(row, sender, hint::kPickFolder);
}

bool ResultsList::PickHit(int row, CView* sender, int hint) {
    if (row < 0 || row >= m_model.rowCount()) return false;
    m_pDoc->m_strPickLabel = std::string(m_model.Text(row, 1));
    m_pDoc->m_nPickDisc = m_model.HitEntry(row);
    m_pDoc->m_strPickName = std::string(m_model.Text(row, 0));
    m_pDoc->m_strPickPath = std::string(m_model.Text(row, 2));
    m_pDoc->UpdateAllViews(sender, hint);
    return true;
}
