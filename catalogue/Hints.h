#pragma once

// Update hints that views exchange through CKavrelDoc::UpdateAllViews.
namespace hint {
inline constexpr int kShowDisc = 11;        // m_strSelText: contents list shows that disc
inline constexpr int kShowPickedDisc = 12;  // m_strPickLabel (+ m_strPickName/m_strPickPath)
inline constexpr int kLiveListing = 13;     // m_strDriveRoot: contents list switches to a live listing
inline constexpr int kLiveRow = 14;         // m_nListRow, m_strListRow: one live row
inline constexpr int kResultRow = 15;       // m_bResultRow and m_strFound*: clear or add a search hit
// A folder node selected: contents list shows folder m_strSelFolder of disc m_strSelText.
inline constexpr int kShowFolder = 16;
// The folder node kPickFolder asked for is selected: contents list shows folder m_strPickPath of disc
// m_strPickLabel and selects its entry m_strPickName.
inline constexpr int kShowPickedFolder = 17;
inline constexpr int kPickDisc = 31;  // m_strPickLabel: tree selects that disc node
// m_strPickLabel, m_strPickPath, m_strPickName: tree expands to the node of that folder of that disc and
// selects it (the disc node for the root), then sends kShowPickedFolder (kShowPickedDisc for the root).
inline constexpr int kPickFolder = 32;
inline constexpr int kDiscAdded = 51;  // m_strLastLabel: tree appends the disc node
}  // namespace hint
