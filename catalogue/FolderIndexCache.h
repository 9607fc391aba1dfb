#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FolderIndex.h"

namespace catalogue {

// The folder indexes of the discs being browsed, each built once and kept until the catalogue changes,
// when its owner clears them. An index handed out stays whole while its holder keeps it.
class FolderIndexCache {
public:
    // The folders of `disc` (see DiscFor), built on first use. A disc without entries gives the root alone.
    std::shared_ptr<const FolderIndex> Get(const EntryStore& store, const Disc& disc);
    // Forgets every index; the next Get builds afresh from the entries as they are then.
    void Clear() { m_indexes.clear(); }
    // Number of indexes kept.
    std::size_t Size() const { return m_indexes.size(); }

private:
    // By the disc's first row: two discs may share a label, never a row.
    std::unordered_map<std::size_t, std::shared_ptr<const FolderIndex>> m_indexes;
};

}  // namespace catalogue
