#include "lists/ContentsList.h"

#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "docview/Messages.h"
#include "scan/LiveListing.h"

ContentsList::ContentsList(CKavrelDoc* doc) : m_pDoc(doc) {}

void ContentsList::OnInitialUpdate(IMessages* messages) {
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
    ListDiscEntries(m_pDoc->GetFirstLabel());
}

int ContentsList::OnUpdate(int hint) {
    switch (hint) {
        case hint::kShowDisc:
            if (m_pDoc->m_strSelText.empty()) return -1;
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            m_model.ClearRows();
            ListDiscEntries(m_pDoc->m_strSelText);
            return -1;
        case hint::kShowPickedDisc:
            if (!IsCatalogueLayout()) ShowCatalogueColumns(kSwitchedNameWidth);
            m_model.ClearRows();
            ListDiscEntries(m_pDoc->m_strPickLabel);
            // The picked hit's own row, rather than a fixed row that may hold anything.
            if (m_pDoc->m_strPickName.empty()) return -1;
            return m_model.FindRow(m_pDoc->m_strPickName, m_pDoc->m_strPickPath);
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

bool ContentsList::Activate(int row) {
    // Catalogue kinds carry a trailing blank, so only live folder rows match.
    if (m_model.Text(row, 1) != scan::kLiveKindFolder) return false;
    const std::string_view name = m_model.Text(row, 0);
    // ".." is kept as it is: the folder text then names the parent through it, as the drive resolves it.
    if (name == ".")
        m_strCurrentDir = m_strRootDir;
    else
        m_strCurrentDir = m_strCurrentDir + std::string(name) + "\\";
    ListDirectory(m_strCurrentDir);
    return true;
}

void ContentsList::ListDirectory(const std::string& folder) {
    ClearRows();
    int at = 0;
    scan::ListLiveRows(folder, [&](scan::LiveRow row) { m_model.InsertLiveRow(at++, std::move(row)); });
}

void ContentsList::AddDirectoryRow(std::int32_t row) {
    m_model.InsertLiveRow(row, scan::LiveRow::FromTexts(m_pDoc->m_strListRow));
}

void ContentsList::ListDiscEntries(std::string_view label) {
    if (label.empty()) return;
    const EntryStore& store = m_pDoc->Entries();
    const catalogue::Disc disc = catalogue::FirstRun(store, label);
    m_model.ShowEntries(&store, disc.first, disc.end - disc.first);
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
                        {"Size(bits)", Qt::AlignHCenter, 138}});
    m_bCatalogueLayout = 1;
}

void ContentsList::ClearRows() {
    m_model.ClearRows();
    if (m_cleared) m_cleared();
}
