#pragma once

// Command identifiers of the main window's actions (CMainFrame::Action), as the resources number them.
namespace cmd {
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrint = 57607;
inline constexpr int kRecentFile = 57616;  // the first recent file; the placeholder while the list is empty
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kNextPane = 57680;
inline constexpr int kPrevPane = 57681;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kCreateImage = 32772;
inline constexpr int kFind = 32776;
inline constexpr int kDeleteItem = 32794;
inline constexpr int kItemRename = 32795;
inline constexpr int kHelpTopics = 32796;
inline constexpr int kCatalogueImages = 32797;
inline constexpr int kExportList = 32799;
inline constexpr int kDiscProperties = 32800;
inline constexpr int kUpdateDisc = 32801;
inline constexpr int kVerifyDisc = 32802;
inline constexpr int kWatchDiscs = 32803;
}  // namespace cmd
