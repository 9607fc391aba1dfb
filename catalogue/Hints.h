#pragma once

// Update hints that views exchange through CKavrelDoc::UpdateAllViews.
namespace hint {
inline constexpr int kShowDisc = 11;        // m_strSelText: contents list shows that disc
inline constexpr int kShowPickedDisc = 12;  // m_strPickLabel (+ m_strPickName/m_strPickPath)
inline constexpr int kLiveListing = 13;     // m_strDriveRoot: contents list switches to a live listing
inline constexpr int kLiveRow = 14;         // m_nListRow, m_strListRow: one live row
inline constexpr int kResultRow = 15;       // m_bResultRow and m_strFound*: clear or add a search hit
inline constexpr int kPickDisc = 31;        // m_strPickLabel: tree selects that disc node
inline constexpr int kDiscAdded = 51;       // m_strLastLabel: tree appends the disc node
}  // namespace hint
