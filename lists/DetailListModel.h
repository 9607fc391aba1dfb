#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"
#include "scan/LiveRow.h"

// One column of a detail list: heading, alignment of heading and cells, initial width in pixels.
struct ListColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;
};

// The rows and columns of a detail list as a flat table, for the contents and the results list.
// Rows are one kind at a time: a run of catalogue entries read in place from the document's store, one
// catalogue folder (an up row, then its entries read in place), live folder rows, or search hits kept
// newest first. Cells hold the stored bytes; display converts them.
class DetailListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // bool: the row shows the folder image.
    static constexpr int kFolderRole = Qt::UserRole;

    explicit DetailListModel(QObject* parent = nullptr);

    // Images for folder and file rows; rows have none until they are set.
    void SetIcons(const QIcon& folder, const QIcon& file);

    // Replaces every column and empties the rows; then columnsReplaced() is emitted.
    void SetColumns(std::vector<ListColumn> columns);
    // The installed columns, left to right.
    const std::vector<ListColumn>& Columns() const { return m_columns; }

    // Removes every row; the columns and their widths stay.
    void ClearRows();
    // Shows the entries first .. first + count - 1 of `store`, read from it whenever they are drawn.
    void ShowEntries(const EntryStore* store, std::size_t first, std::size_t count);
    // Shows the entries `rows` of `store` in order (a disc with deleted entries between its own), read from
    // it whenever they are drawn.
    void ShowEntries(const EntryStore* store, std::vector<std::uint32_t> rows);
    // Shows one catalogue folder: first the up row ("..", kind "folder ", path `folderPath`, size "0"), then
    // the entries `rows` of `store` in order, read from it whenever they are drawn; `owner` keeps `rows`
    // alive while they are shown.
    void ShowFolderEntries(const EntryStore* store, std::string folderPath,
                           std::span<const std::uint32_t> rows, std::shared_ptr<const void> owner);
    // Inserts a live row before `row` (the end when `row` is past it); other kinds of rows are dropped.
    void InsertLiveRow(int row, scan::LiveRow liveRow);
    // Adds a search hit above every present row; other kinds of rows are dropped.
    // `entry` is the hit's row in the catalogue, which names its disc among discs that share a label.
    void AddHitOnTop(std::string_view label, std::string_view name, std::string_view kind,
                     std::string_view path, std::string_view size, std::size_t entry = catalogue::kAnyDisc);

    // The stored bytes of a cell: entries name, kind, path, size; live rows name, kind, size;
    // hits name, label, path, size. Empty outside the rows and columns.
    std::string_view Text(int row, int column) const;
    // Whether the row shows the folder image.
    bool IsFolderRow(int row) const;
    // True for the up row of a catalogue folder.
    bool IsUpRow(int row) const;
    // The entry of the store that the row shows; -1 for the up row, live rows, hits and rows outside.
    std::int64_t EntryRow(int row) const;
    // The catalogue entry a hit row came from; catalogue::kAnyDisc for other rows, or when not known.
    std::size_t HitEntry(int row) const;
    // The row whose name and path (columns 0 and 2) are exactly these, or -1.
    int FindRow(std::string_view name, std::string_view path) const;

    // The flat table as item views read it: display texts, alignments, images, headings.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The columns were replaced; views apply the new widths.
    void columnsReplaced();

private:
    enum class Rows { None, Entries, Folder, Live, Hits };

    void SwitchRows(Rows kind);
    // Entries: the entry of m_store that row `row` shows.
    std::size_t EntryAt(int row) const {
        const auto r = static_cast<std::size_t>(row);
        return m_entryRows.empty() ? m_first + r : m_entryRows[r];
    }
    // A cell of entry `i` of m_store: name, kind, path, size.
    std::string_view EntryText(std::size_t i, int column) const;

    std::vector<ListColumn> m_columns;
    Rows m_rows = Rows::None;
    int m_rowCount = 0;
    const EntryStore* m_store = nullptr;          // Entries: borrowed from the document
    std::size_t m_first = 0;                      // Entries: index of the first shown entry
    std::vector<std::uint32_t> m_entryRows;       // Entries: the shown entries, when they are not a run
    std::span<const std::uint32_t> m_folderRows;  // Folder: the entries after the up row
    std::shared_ptr<const void> m_folderOwner;    // Folder: keeps m_folderRows alive
    std::string m_upPath;                         // Folder: the up row's path, the folder's own
    std::vector<scan::LiveRow> m_live;            // Live
    EntryStore m_hits;                            // Hits, in the order they came; row r is hit n - 1 - r
    std::vector<std::size_t> m_hitEntries;        // Hits: the catalogue entry of each, in the same order
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
