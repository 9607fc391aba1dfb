#include "catalogue/FolderIndexCache.h"

#include "catalogue/Disc.h"
#include "platform/Tuning.h"

namespace catalogue {

namespace {
// Past this many the kept indexes start afresh.
constexpr std::size_t kMaxKept = tuning::kFolderIndexesKept;
}  // namespace

std::shared_ptr<const FolderIndex> FolderIndexCache::Get(const EntryStore& store, const Disc& disc) {
    if (disc.entries == 0) return std::make_shared<const FolderIndex>();
    if (const auto kept = m_indexes.find(disc.first); kept != m_indexes.end()) return kept->second;
    if (m_indexes.size() >= kMaxKept) m_indexes.clear();
    auto index = std::make_shared<const FolderIndex>(store, disc);
    m_indexes.emplace(disc.first, index);
    return index;
}

}  // namespace catalogue
