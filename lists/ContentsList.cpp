#include "lists/ContentsList.h"

#include <utility>
#include <vector>

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "docview/Messages.h"
#include "scan/LiveListing.h"

ContentsList::ContentsList(CKavrelDoc* doc) : m_pDoc(doc) {}

void ContentsList::OnInitialUpdate(IMessages* messages) {
    // A new or opened catalogue: the last folder listed belonged to the one before.
    m_folderIndex.reset();
    m_folder = catalogue::FolderIndex::kNoFolder;
    const bool found = m_pDoc->FindCdDrives();
    m_strRootDir = m_pDoc->m_strDrives[0];
    if (m_pDoc->GetEntryCount() == 0) {
        ShowLiveColumns();
        if (found) {
            ListDirectory(m_strRootDir);
            m_strCurrentDir = m_strRootDir;
        } else if (messages != nullptr) {
            messages->Tell("waring: There is no CD/DVD driver in the computer ");
        }
        return;
    }
    ShowCatalogueColumns(kInitialNameWidth);
    ListDiscEntries(m_pDoc->GetFirstLabel(), catalogue::kAnyDisc);
}

int ContentsList::OnUpdate(int hint) {
    switch (hint) {
        case hint::kShowDisc:
            if (m_pDoc->m_strSelText.empty()) return -1;
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            m_model.ClearRows();
            ListDiscEntries(m_pDoc->m_strSelText, m_pDoc->m_nSelDisc);
            return -1;
        case hint::kShowPickedDisc:
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            m_model.ClearRows();
            ListDiscEntries(m_pDoc->m_strPickLabel, m_pDoc->m_nPickDisc);
            // The picked hit's own row, rather than a fixed row that may hold anything.
            if (m_pDoc->m_strPickName.empty()) return -1;
            return m_model.FindRow(m_pDoc->m_strPickName, m_pDoc->m_strPickPath);
        case hint::kShowFolder:
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            ListFolderEntries(m_pDoc->m_strSelText, m_pDoc->m_nSelDisc, m_pDoc->m_strSelFolder);
            return -1;
        case hint::kShowPickedFolder:
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            ListFolderEntries(m_pDoc->m_strPickLabel, m_pDoc->m_nPickDisc, m_pDoc->m_strPickPath);
            return FindEntryNamed(m_pDoc->m_strPickName);
        case hint::kLiveListing:
            ClearRows();
            ShowLiveColumns();
            m_strRootDir = m_pDoc->m_strDriveRoot;
            m_strCurrentDir = m_pDoc->m_strDriveRoot;
            return -1;
        case hint::kLiveRow:
            AddDirectoryRow(m_pDoc->m_nListRow);
            return -1;
    }
    return -1;
}

bool ContentsList::Activate(int row, CView* sender) {
    // Catalogue kinds carry a trailing blank, so only live folder rows match.
    if (m_model.Text(row, 1) == scan::kLiveKindFolder) {
        const std::string_view name = m_model.Text(row, 0);
        // ".." is kept as it is: the folder text then names the parent through it, as the drive resolves it.
        if (name == ".")
            m_strCurrentDir = m_strRootDir;
        else
            m_strCurrentDir = m_strCurrentDir + std::string(name) + "\\";
        ListDirectory(m_strCurrentDir);
        return true;
    }
    // The rows of a whole disc open nothing: a disc is walked folder by folder from its node in the tree.
    if (!IsFolderListing()) return false;
    if (m_model.IsUpRow(row)) return GoUp(sender);
    const EntryStore& store = m_pDoc->Entries();
    const std::int64_t entry = m_model.EntryRow(row);
    if (entry < 0 || static_cast<std::size_t>(entry) >= store.Size()) return false;
    const catalogue::FolderIndex::FolderId opened =
        m_folderIndex->Opens(store, static_cast<std::size_t>(entry));
    if (opened == catalogue::FolderIndex::kNoFolder) return false;
    PickFolder(m_folderIndex->Path(opened), {}, sender);
    return true;
}

bool ContentsList::GoUp(CView* sender) {
    if (!IsFolderListing() || m_folder == catalogue::FolderIndex::kNoFolder) return false;
    const catalogue::FolderIndex::FolderId parent = m_folderIndex->Parent(m_folder);
    if (parent == catalogue::FolderIndex::kNoFolder) return false;
    PickFolder(m_folderIndex->Path(parent), std::string(m_folderIndex->Name(m_folder)), sender);
    return true;
}

void ContentsList::PickFolder(std::string path, std::string name, CView* sender) {
    m_pDoc->m_strPickLabel = m_strFolderLabel;
    m_pDoc->m_nPickDisc = m_nFolderDisc;
    m_pDoc->m_strPickPath = std::move(path);
    m_pDoc->m_strPickName = std::move(name);
    m_pDoc->UpdateAllViews(sender, hint::kPickFolder);
}

int ContentsList::FindEntryNamed(std::string_view name) const {
    if (name.empty() || !IsFolderListing()) return -1;
    for (int row = 1; row < m_model.rowCount(); ++row) {
        if (m_model.Text(row, 0) == name) return row;
    }
    return -1;
}

void ContentsList::ListDirectory(const std::string& folder) {
    ClearRows();
    int at = 0;
    scan::ListLiveRows(folder, [&](scan::LiveRow row) { m_model.InsertLiveRow(at++, std::move(row)); });
}

void ContentsList::AddDirectoryRow(std::int32_t row) {
    m_model.InsertLiveRow(row, scan::LiveRow::FromTexts(m_pDoc->m_strListRow));
}

void ContentsList::ListDiscEntries(std::string_view label, std::size_t row) {
    if (label.empty()) return;
    const EntryStore& store = m_pDoc->Entries();
    const catalogue::Disc disc = catalogue::DiscFor(store, row, label);
    if (disc.entries == disc.end - disc.first) {
        m_model.ShowEntries(&store, disc.first, disc.entries);
        return;
    }
    // Deleted entries lie between the disc's own: list its rows alone.
    std::vector<std::uint32_t> rows;
    rows.reserve(disc.entries);
    for (std::size_t i = disc.first; i < disc.end; ++i) {
        if (disc.Holds(store, i)) rows.push_back(static_cast<std::uint32_t>(i));
    }
    m_model.ShowEntries(&store, std::move(rows));
}

void ContentsList::ListFolderEntries(std::string_view label, std::size_t row, std::string_view path) {
    m_model.ClearRows();
    m_strFolderLabel = label;
    m_nFolderDisc = row;
    m_folderIndex = m_pDoc->Folders(catalogue::DiscFor(m_pDoc->Entries(), row, label));
    m_folder = m_folderIndex->Find(path);
    if (m_folder == catalogue::FolderIndex::kNoFolder) return;
    m_model.ShowFolderEntries(&m_pDoc->Entries(), m_folderIndex->Path(m_folder),
                              m_folderIndex->Rows(m_folder), m_folderIndex);
}

void ContentsList::ShowLiveColumns() {
    m_model.SetColumns({{"Name", Qt::AlignLeft, 200},
                        {"Attribute", Qt::AlignHCenter, 100},
                        {"Size(bits)", Qt::AlignHCenter, 100}});
    m_bCatalogueLayout = 0;
}

void ContentsList::ShowCatalogueColumns(int nameWidth) {
    m_model.SetColumns({{"Name", Qt::AlignLeft, nameWidth},
                        {"Attribute", Qt::AlignHCenter, 80},
                        {"Path Name", Qt::AlignLeft, 300},
                        {"Size(bits)", Qt::AlignHCenter, 138},
                        {"Modified", Qt::AlignLeft, 160}});
    m_bCatalogueLayout = 1;
}

void ContentsList::ClearRows() {
    m_model.ClearRows();
    if (m_cleared) m_cleared();
}
