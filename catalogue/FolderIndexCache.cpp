#include "catalogue/FolderIndexCache.h"

#include "catalogue/Disc.h"

namespace catalogue {

namespace {
// A person browses a handful of discs at a time; past this many the kept indexes start afresh, so that
// browsing disc after disc of a huge catalogue does not hold an index of every one.
constexpr std::size_t kMaxKept = 16;
}  // namespace

std::shared_ptr<const FolderIndex> FolderIndexCache::Get(const EntryStore& store, std::string_view label) {
    const EntryStore::TextId id = label.empty() ? EntryStore::kNoId : store.FindText(label);
    if (id == EntryStore::kNoId) return std::make_shared<const FolderIndex>();
    if (const auto kept = m_indexes.find(id); kept != m_indexes.end()) return kept->second;
    if (m_indexes.size() >= kMaxKept) m_indexes.clear();
    auto index = std::make_shared<const FolderIndex>(store, FirstRun(store, id));
    m_indexes.emplace(id, index);
    return index;
}

}  // namespace catalogue
