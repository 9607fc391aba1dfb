#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "catalogue/EntryStore.h"
#include "catalogue/FolderIndex.h"

namespace catalogue {

// The folder indexes of the discs being browsed, each built once and kept until the catalogue changes,
// when its owner clears them. An index handed out stays whole while its holder keeps it.
class FolderIndexCache {
public:
    // The folders of the disc the contents list shows for `label` (its first run, see FirstRun), built on
    // first use. A label no entry carries gives the root alone.
    std::shared_ptr<const FolderIndex> Get(const EntryStore& store, std::string_view label);
    // Forgets every index; the next Get builds afresh from the entries as they are then.
    void Clear() { m_indexes.clear(); }
    // Number of indexes kept.
    std::size_t Size() const { return m_indexes.size(); }

private:
    std::unordered_map<EntryStore::TextId, std::shared_ptr<const FolderIndex>> m_indexes;
};

}  // namespace catalogue
