#include "lists/DetailListModel.h"

#include <algorithm>

#include "catalogue/CCDContent.h"
#include "catalogue/DiscRecord.h"
#include "res/Texts.h"

DetailListModel::DetailListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DetailListModel::SetIcons(const QIcon& folder, const QIcon& file) {
    m_folderIcon = folder;
    m_fileIcon = file;
    if (m_rowCount > 0) emit dataChanged(index(0, 0), index(m_rowCount - 1, 0), {Qt::DecorationRole});
}

void DetailListModel::SetColumns(std::vector<ListColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    m_rows = Rows::None;
    m_rowCount = 0;
    m_store = nullptr;
    m_entryRows.clear();
    m_folderRows = {};
    m_folderOwner.reset();
    m_live.clear();
    m_hits.Clear();
    m_hitEntries.clear();
    m_hitDiscs.clear();
    m_order.clear();
    endResetModel();
    emit columnsReplaced();
    // Other columns: the sort by one of the old ones means nothing now.
    if (m_sortColumn >= 0) {
        m_sortColumn = -1;
        m_sortOrder = Qt::AscendingOrder;
        emit sortChanged(m_sortColumn, m_sortOrder);
    }
}

void DetailListModel::ClearRows() {
    // Rows are removed rather than the model reset: a reset would also reset the header's widths.
    if (m_rowCount > 0) {
        beginRemoveRows({}, 0, m_rowCount - 1);
        m_rowCount = 0;
        m_order.clear();
        endRemoveRows();
    }
    m_rows = Rows::None;
    m_store = nullptr;
    m_entryRows.clear();
    m_folderRows = {};
    m_folderOwner.reset();
    m_live.clear();
    m_hits.Clear();
    m_hitEntries.clear();
    m_hitDiscs.clear();
}

void DetailListModel::SwitchRows(Rows kind) {
    if (m_rows != kind) ClearRows();
    m_rows = kind;
}

void DetailListModel::ShowEntries(const EntryStore* store, std::size_t first, std::size_t count) {
    ClearRows();
    if (store == nullptr || count == 0) return;
    m_rows = Rows::Entries;
    m_store = store;
    m_first = first;
    beginInsertRows({}, 0, static_cast<int>(count) - 1);
    m_rowCount = static_cast<int>(count);
    ApplySort();
    endInsertRows();
}

void DetailListModel::ShowEntries(const EntryStore* store, std::vector<std::uint32_t> rows) {
    ClearRows();
    if (store == nullptr || rows.empty()) return;
    m_rows = Rows::Entries;
    m_store = store;
    beginInsertRows({}, 0, static_cast<int>(rows.size()) - 1);
    m_entryRows = std::move(rows);
    m_rowCount = static_cast<int>(m_entryRows.size());
    ApplySort();
    endInsertRows();
}

void DetailListModel::ShowFolderEntries(const EntryStore* store, std::string folderPath,
                                        std::span<const std::uint32_t> rows,
                                        std::shared_ptr<const void> owner) {
    ClearRows();
    if (store == nullptr) return;
    m_rows = Rows::Folder;
    m_store = store;
    m_folderRows = rows;
    m_folderOwner = std::move(owner);
    m_upPath = std::move(folderPath);
    beginInsertRows({}, 0, static_cast<int>(rows.size()));
    m_rowCount = static_cast<int>(rows.size()) + 1;
    ApplySort();
    endInsertRows();
}

void DetailListModel::InsertLiveRow(int row, scan::LiveRow liveRow) {
    SwitchRows(Rows::Live);
    EndSort();
    row = std::clamp(row, 0, m_rowCount);
    beginInsertRows({}, row, row);
    m_live.insert(m_live.begin() + row, std::move(liveRow));
    m_rowCount = static_cast<int>(m_live.size());
    endInsertRows();
}

void DetailListModel::AddHitOnTop(std::string_view label, std::string_view name, std::string_view kind,
                                  std::string_view path, std::string_view size, std::size_t entry,
                                  std::int64_t modified, std::size_t disc) {
    SwitchRows(Rows::Hits);
    EndSort();
    // Hits are appended to the store and shown in reverse, so a new top row moves nothing.
    beginInsertRows({}, 0, 0);
    m_hits.SetModified(m_hits.Append(label, name, kind, path, size), modified);
    m_hitEntries.push_back(entry);
    m_hitDiscs.push_back(disc);
    m_rowCount = static_cast<int>(m_hits.Size());
    endInsertRows();
}

std::string_view DetailListModel::Text(int row, int column) const {
    if (row < 0 || row >= m_rowCount || column < 0 || column >= columnCount()) return {};
    return UnsortedText(Unsorted(row), column);
}

std::string DetailListModel::ShownText(int row, int column) const {
    if (IsTimeColumn(column)) return FromQString(DateTimeText(Modified(row)));
    return std::string(Text(row, column));
}

std::int64_t DetailListModel::Modified(int row) const {
    if (row < 0 || row >= m_rowCount) return EntryStore::kUnknownTime;
    return UnsortedModified(Unsorted(row));
}

bool DetailListModel::IsTimeColumn(int column) const {
    return column == 4 && m_rows != Rows::Live;
}

std::int64_t DetailListModel::UnsortedModified(int row) const {
    if (m_rows == Rows::Hits) return m_hits.Modified(m_hits.Size() - 1 - static_cast<std::size_t>(row));
    if (m_rows != Rows::Entries && (m_rows != Rows::Folder || row == 0)) return EntryStore::kUnknownTime;
    const std::size_t entry =
        m_rows == Rows::Entries ? EntryAt(row) : m_folderRows[static_cast<std::size_t>(row) - 1];
    return entry < m_store->Size() ? m_store->Modified(entry) : EntryStore::kUnknownTime;
}

std::string_view DetailListModel::UnsortedText(int row, int column) const {
    switch (m_rows) {
        case Rows::Entries:
            return EntryText(EntryAt(row), column);
        case Rows::Folder: {
            if (row > 0) return EntryText(m_folderRows[static_cast<std::size_t>(row) - 1], column);
            static constexpr std::string_view kUpRow[] = {"..", kKindFolder, {}, "0"};
            if (column == 2) return m_upPath;
            return column < 4 ? kUpRow[column] : std::string_view();
        }
        case Rows::Live: {
            const scan::LiveRow& live = m_live[static_cast<std::size_t>(row)];
            switch (column) {
                case 0:
                    return live.name;
                case 1:
                    return live.kind;
                case 2:
                    return live.size;
            }
            return {};
        }
        case Rows::Hits: {
            const std::size_t i = m_hits.Size() - 1 - static_cast<std::size_t>(row);
            switch (column) {
                case 0:
                    return m_hits.Name(i);
                case 1:
                    return m_hits.Label(i);
                case 2:
                    return m_hits.Path(i);
                case 3:
                    return m_hits.SizeText(i);
                case 5: {
                    const std::size_t disc = m_hitDiscs[i];
                    const catalogue::DiscRecord* record =
                        m_records && disc != catalogue::kAnyDisc ? m_records->Find(disc) : nullptr;
                    return record ? std::string_view(record->location) : std::string_view();
                }
            }
            return {};
        }
        case Rows::None:
            break;
    }
    return {};
}

std::string_view DetailListModel::EntryText(std::size_t i, int column) const {
    // The document may have been emptied before the view hears of it; never read past its end.
    if (i >= m_store->Size()) return {};
    switch (column) {
        case 0:
            return m_store->Name(i);
        case 1:
            return m_store->Kind(i);
        case 2:
            return m_store->Path(i);
        case 3:
            return m_store->SizeText(i);
    }
    return {};
}

bool DetailListModel::IsFolderRow(int row) const {
    if (row < 0 || row >= m_rowCount) return false;
    return UnsortedIsFolder(Unsorted(row));
}

bool DetailListModel::UnsortedIsFolder(int row) const {
    switch (m_rows) {
        case Rows::Entries:
        case Rows::Folder:
            return UnsortedText(row, 1) == kKindFolder;
        case Rows::Live:
            return m_live[static_cast<std::size_t>(row)].IsFolder();
        case Rows::Hits:
            return m_hits.Kind(m_hits.Size() - 1 - static_cast<std::size_t>(row)) == kKindFolder;
        case Rows::None:
            break;
    }
    return false;
}

bool DetailListModel::IsUpRow(int row) const {
    return m_rows == Rows::Folder && row >= 0 && row < m_rowCount && Unsorted(row) == 0;
}

std::int64_t DetailListModel::EntryRow(int row) const {
    if (row < 0 || row >= m_rowCount) return -1;
    row = Unsorted(row);
    if (m_rows == Rows::Entries) return static_cast<std::int64_t>(EntryAt(row));
    if (m_rows == Rows::Folder && row > 0) return m_folderRows[static_cast<std::size_t>(row) - 1];
    return -1;
}

std::size_t DetailListModel::HitEntry(int row) const {
    if (m_rows != Rows::Hits || row < 0 || row >= m_rowCount) return catalogue::kAnyDisc;
    return m_hitEntries[m_hitEntries.size() - 1 - static_cast<std::size_t>(Unsorted(row))];
}

bool DetailListModel::IsPinned(int row) const {
    if (m_rows == Rows::Folder) return row == 0;
    if (m_rows != Rows::Live) return false;
    const scan::LiveRow& live = m_live[static_cast<std::size_t>(row)];
    return live.IsFolder() && (live.name == "." || live.name == "..");
}

search::Collation DetailListModel::CollationOf(int column) const {
    const int sizeColumn = m_rows == Rows::Live ? 2 : 3;
    if (column == sizeColumn) return search::Collation::kNumber;
    return IsTimeColumn(column) ? search::Collation::kTime : search::Collation::kText;
}

void DetailListModel::ApplySort() {
    if (m_sortColumn < 0 || m_sortColumn >= columnCount() || m_rowCount == 0) {
        m_order.clear();
        return;
    }
    std::vector<std::uint32_t> pinned;
    std::vector<std::uint32_t> rest;
    rest.reserve(static_cast<std::size_t>(m_rowCount));
    for (int row = 0; row < m_rowCount; ++row) {
        const int unsorted = Unsorted(row);
        (IsPinned(unsorted) ? pinned : rest).push_back(static_cast<std::uint32_t>(unsorted));
    }
    const int column = m_sortColumn;
    search::ColumnCells cells;
    cells.collation = CollationOf(column);
    cells.text = [this, column](std::uint32_t row) { return UnsortedText(static_cast<int>(row), column); };
    cells.time = [this](std::uint32_t row) { return UnsortedModified(static_cast<int>(row)); };
    search::SortRows(rest, cells, m_sortOrder == Qt::DescendingOrder);
    pinned.insert(pinned.end(), rest.begin(), rest.end());
    m_order = std::move(pinned);
}

void DetailListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount()) column = -1;
    const bool changed = column != m_sortColumn || order != m_sortOrder;
    m_sortColumn = column;
    m_sortOrder = order;
    if (m_rowCount > 0) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<int> unsorted;
        unsorted.reserve(static_cast<std::size_t>(before.size()));
        for (const QModelIndex& index : before) unsorted.push_back(Unsorted(index.row()));
        ApplySort();
        if (!before.isEmpty()) {
            std::vector<int> shownAt(static_cast<std::size_t>(m_rowCount));
            for (int row = 0; row < m_rowCount; ++row) shownAt[static_cast<std::size_t>(Unsorted(row))] = row;
            QModelIndexList after;
            after.reserve(before.size());
            for (qsizetype i = 0; i < before.size(); ++i)
                after.append(index(shownAt[static_cast<std::size_t>(unsorted[static_cast<std::size_t>(i)])],
                                   before[i].column()));
            changePersistentIndexList(before, after);
        }
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (changed) emit sortChanged(m_sortColumn, m_sortOrder);
}

void DetailListModel::EndSort() {
    if (m_sortColumn < 0) return;
    if (m_order.empty()) {
        m_sortColumn = -1;
        m_sortOrder = Qt::AscendingOrder;
        emit sortChanged(m_sortColumn, m_sortOrder);
        return;
    }
    sort(-1, Qt::AscendingOrder);
}

int DetailListModel::FindRow(std::string_view name, std::string_view path) const {
    for (int row = 0; row < m_rowCount; ++row) {
        if (Text(row, 0) == name && Text(row, 2) == path) return row;
    }
    return -1;
}

int DetailListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int DetailListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant DetailListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            if (IsTimeColumn(index.column())) return DateTimeText(Modified(index.row()));
            return ToQString(Text(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return (m_columns[static_cast<std::size_t>(index.column())].alignment | Qt::AlignVCenter).toInt();
        case Qt::DecorationRole:
            if (index.column() != 0) return {};
            return IsFolderRow(index.row()) ? m_folderIcon : m_fileIcon;
        case kFolderRole:
            return IsFolderRow(index.row());
    }
    return {};
}

QVariant DetailListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const ListColumn& column = m_columns[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromLatin1(column.heading);
        case Qt::TextAlignmentRole:
            return (column.alignment | Qt::AlignVCenter).toInt();
        case Qt::InitialSortOrderRole:
            // A column clicked for the first time sorts upwards, whatever the last one did.
            return Qt::AscendingOrder;
    }
    return {};
}

Qt::ItemFlags DetailListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
