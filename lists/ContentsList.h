#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "catalogue/FolderIndex.h"
#include "lists/DetailListModel.h"

class CKavrelDoc;
class CView;
class IMessages;

// What the contents list shows (one disc of the catalogue, one folder of a disc that the user walks with
// the tree, or a live folder of a drive that the user walks) and the hints that change it. Runs without a
// display; CSecView only puts it on screen.
class ContentsList {
public:
    // Column 0 of the catalogue layout is wider when a catalogue is opened than when a disc is picked
    // while a live listing is shown.
    static constexpr int kInitialNameWidth = 278;
    static constexpr int kSwitchedNameWidth = 200;

    explicit ContentsList(CKavrelDoc* doc);

    // The rows and columns the view shows.
    DetailListModel& Model() { return m_model; }
    const DetailListModel& Model() const { return m_model; }

    // Called after rows were emptied ahead of a drive read, so the empty list can be shown first.
    void SetClearedCallback(std::function<void()> cleared) { m_cleared = std::move(cleared); }

    // A new or opened catalogue: its first disc, else the first optical drive's root (or the message).
    void OnInitialUpdate(IMessages* messages);
    // hint::kShowDisc, kShowPickedDisc, kShowFolder, kShowPickedFolder, kLiveListing and kLiveRow; every
    // other hint is ignored. Returns the row to select and show, or -1.
    int OnUpdate(int hint);
    // Double-click or Enter with `row` the topmost selected row (-1 for none): walks into a live folder, or
    // asks the tree, as `sender`, for the node of a catalogue folder's subfolder or, on the up row, of its
    // parent (hint::kPickFolder). Returns true when it walked or asked.
    bool Activate(int row, CView* sender = nullptr);
    // Backspace: asks the tree, as `sender`, for the node of the listed catalogue folder's parent (the disc
    // node above a top folder), the folder left selected there. Returns true when it asked.
    bool GoUp(CView* sender = nullptr);

    // Lists one folder of a drive ("E:\DATA\") as live rows, replacing every row.
    void ListDirectory(const std::string& folder);
    // Adds the live row held in the document's row field at `row`.
    void AddDirectoryRow(std::int32_t row);
    // Shows the entries of the disc `label` and `row` name (catalogue::DiscFor): all of them, from its first
    // to its last, past deleted entries; an empty label leaves the list alone.
    void ListDiscEntries(std::string_view label, std::size_t row);
    // Shows folder `path` of the disc `label` and `row` name: the up row, then its own files and folders
    // in catalogue order; no rows when the disc has no such folder.
    void ListFolderEntries(std::string_view label, std::size_t row, std::string_view path);
    // Installs the three live-listing columns.
    void ShowLiveColumns();
    // Installs the five catalogue columns, column 0 `nameWidth` wide.
    void ShowCatalogueColumns(int nameWidth);

    // True while the catalogue columns are installed, false while the live-listing ones are.
    bool IsCatalogueLayout() const { return m_bCatalogueLayout != 0; }
    // The folder the live listing shows ("E:\DATA\"); ".." segments are kept as they were walked.
    const std::string& CurrentDir() const { return m_strCurrentDir; }
    // The root of the drive the live listing belongs to; where "." leads.
    const std::string& RootDir() const { return m_strRootDir; }
    // True while one folder of a disc is listed.
    bool IsFolderListing() const { return m_model.IsUpRow(0); }

private:
    void ClearRows();
    // Asks the tree for folder `path` of the listed disc with its entry `name` selected.
    void PickFolder(std::string path, std::string name, CView* sender);
    // The first entry of the listed folder named `name`, or -1.
    int FindEntryNamed(std::string_view name) const;

    CKavrelDoc* m_pDoc;
    DetailListModel m_model;
    std::function<void()> m_cleared;
    std::int32_t m_bCatalogueLayout = 0;
    std::string m_strCurrentDir;  // the live listing's folder: root, then names each ending in "\"
    std::string m_strRootDir;     // the drive root the live listing belongs to
    // The listed folder of a disc, while IsFolderListing().
    std::string m_strFolderLabel;
    std::size_t m_nFolderDisc = 0;  // a row of that disc, as the tree named it
    std::shared_ptr<const catalogue::FolderIndex> m_folderIndex;
    catalogue::FolderIndex::FolderId m_folder = catalogue::FolderIndex::kNoFolder;
};
