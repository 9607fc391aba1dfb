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
#include "search/RowOrder.h"

namespace catalogue {
class DiscRecords;
}

// One column of a detail list: heading, alignment of heading and cells, initial width in pixels.
struct ListColumn {
    const char* heading;
    Qt::Alignment alignment;
    int width;
};

// The rows and columns of a detail list as a flat table, for the contents and the results list.
// Rows are one kind at a time: a run of catalogue entries read in place from the document's store, one
// catalogue folder (an up row, then its entries read in place), live folder rows, or search hits kept
// newest first. Cells hold the stored bytes; display converts them. Any column sorts the rows (sort());
// the rows as they came are the unsorted order, and every row number here is a row as shown.
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
    // `entry` is the hit's row in the catalogue, which names its disc among discs that share a label;
    // `disc` is the first row of that disc, under which its record (and location) is kept.
    void AddHitOnTop(std::string_view label, std::string_view name, std::string_view kind,
                     std::string_view path, std::string_view size, std::size_t entry = catalogue::kAnyDisc,
                     std::int64_t modified = EntryStore::kUnknownTime,
                     std::size_t disc = catalogue::kAnyDisc);
    // Where hits find the location of their disc; none is shown while it is null.
    void SetDiscRecords(const catalogue::DiscRecords* records) { m_records = records; }

    // The stored bytes of a cell: entries name, kind, path, size; live rows name, kind, size;
    // hits name, label, path, size, then (after the time) the disc's location. Empty outside the rows and
    // columns, and for the time column (Modified()).
    std::string_view Text(int row, int column) const;
    // The cell as the list shows it, as UTF-8 for valid UTF-8 bytes: Text(), or the time as DateTimeText.
    std::string ShownText(int row, int column) const;
    // When the row's file was last changed (entries and hits), in seconds since 1970 UTC; else unknown.
    std::int64_t Modified(int row) const;
    // True for the column that shows Modified(): column 4 of entries and hits.
    bool IsTimeColumn(int column) const;
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

    // The column the rows are sorted by, -1 while they stand as they came, and in which direction.
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    // Sorts the rows by `column` (-1: as they came), keeping the selection on its rows: names and other
    // texts as the search folds them, sizes as numbers, times as times (see search::SortRows); stable
    // against the order shown. The up row of a folder, and a live listing's "." and "..", stay first. Rows
    // shown in one go (a disc, a folder) come sorted by the same column; rows added one by one (live rows,
    // hits) end the sort, as they would land out of order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The flat table as item views read it: display texts, alignments, images, headings.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The columns were replaced; views apply the new widths.
    void columnsReplaced();
    // The sort ended, or changed other than through sort(): views move the heading's sort mark.
    void sortChanged(int column, Qt::SortOrder order);

private:
    enum class Rows { None, Entries, Folder, Live, Hits };

    void SwitchRows(Rows kind);
    // The row as it came (the unsorted order) that shown row `row` is.
    int Unsorted(int row) const {
        return m_order.empty() ? row : static_cast<int>(m_order[static_cast<std::size_t>(row)]);
    }
    // Cells of unsorted rows.
    std::string_view UnsortedText(int row, int column) const;
    std::int64_t UnsortedModified(int row) const;
    bool UnsortedIsFolder(int row) const;
    // Rows that stay first whatever the sort: a folder's up row, a live listing's "." and "..".
    bool IsPinned(int unsortedRow) const;
    // How `column` of the present kind of rows compares.
    search::Collation CollationOf(int column) const;
    // Forgets the sort order, so that rows added now land where they come; tells views when it was sorted.
    void EndSort();
    // Orders m_order afresh by the sort column, from the order shown; no signals.
    void ApplySort();
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
    std::vector<std::size_t> m_hitDiscs;          // Hits: the first row of each one's disc, in the same order
    const catalogue::DiscRecords* m_records = nullptr;  // borrowed from the document
    std::vector<std::uint32_t> m_order;  // shown row -> unsorted row while sorted; empty while not
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
