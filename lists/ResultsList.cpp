#include "lists/ResultsList.h"

#include <string>

#include "catalogue/CKavrelDoc.h"

ResultsList::ResultsList(CKavrelDoc* doc) : m_pDoc(doc) {}

void ResultsList::OnInitialUpdate() {
    m_model.SetColumns({{"File Name", Qt::AlignLeft, 200},
                        {"Impress", Qt::AlignHCenter, 100},
                        {"Path Name", Qt::AlignLeft, 300},
                        {"Size(bits)", Qt::AlignHCenter, 138}});
}

void ResultsList::OnUpdate(int hint) {
    if (hint != hint::kResultRow) return;
    if (m_pDoc->m_bResultRow == 0) {
        m_model.ClearRows();
        return;
    }
    m_model.AddHitOnTop(m_pDoc->m_strFoundLabel, m_pDoc->m_strFoundName, m_pDoc->m_strFoundKind,
                        m_pDoc->m_strFoundPath, m_pDoc->m_strFoundSize, m_pDoc->m_nFoundRow);
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
