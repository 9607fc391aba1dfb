#pragma once

#include <cstddef>

#include "catalogue/CCDContent.h"
#include "catalogue/EntryStore.h"

namespace catalogue {

// Which rows of a store are folders: those of kind kKindFolder, the one place that says so. The kind's
// interned id is looked up once, so each row costs a compare of ids rather than of texts. Made for one pass
// over the store: a folder kind first interned after it is made is not seen.
class FolderRows {
public:
    explicit FolderRows(const EntryStore& store) : m_store(store), m_folder(store.FindText(kKindFolder)) {}

    // True when the row is a folder.
    bool IsFolder(std::size_t row) const { return m_store.KindId(row) == m_folder; }
    // False when no row of the store is a folder, so that a scan can leave the test out.
    bool Any() const { return m_folder != EntryStore::kNoId; }

private:
    const EntryStore& m_store;
    EntryStore::TextId m_folder;  // kNoId, which no row's kind has, when the store holds no folder
};

}  // namespace catalogue
