#include "catalogue/FolderIndex.h"

#include <cstring>

#include "catalogue/FolderRows.h"

namespace catalogue {

namespace {

// Calls `visit` with each folder name of `path`, outermost first, until it returns false; empty names
// (a leading, trailing or doubled backslash) are passed over.
template <typename Visit>
void ForEachName(std::string_view path, Visit visit) {
    std::size_t at = 0;
    while (at < path.size()) {
        std::size_t end = path.find('\\', at);
        if (end == std::string_view::npos) end = path.size();
        if (end > at && !visit(path.substr(at, end - at))) return;
        at = end + 1;
    }
}

// A subfolder is looked up by its parent's id and its name together, so a name that repeats at other
// depths or under other parents is another folder.
constexpr std::size_t kIdBytes = sizeof(FolderIndex::FolderId);

void MakeKey(std::string& key, FolderIndex::FolderId parent, std::string_view name) {
    key.resize(kIdBytes + name.size());
    std::memcpy(key.data(), &parent, kIdBytes);
    std::memcpy(key.data() + kIdBytes, name.data(), name.size());
}

// Sorts `items` (folder ids 0 .. groups - 1 given by `group`) into groups, keeping their order within a
// group: `start` gets each group's first place, with one more entry for the end.
template <typename Item, typename Group>
void GroupInOrder(const std::vector<Item>& items, std::size_t groups, Group group, std::vector<Item>& grouped,
                  std::vector<std::uint32_t>& start) {
    start.assign(groups + 1, 0);
    for (const Item& item : items) ++start[group(item) + 1];
    for (std::size_t g = 0; g < groups; ++g) start[g + 1] += start[g];
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    grouped.resize(items.size());
    for (const Item& item : items) grouped[next[group(item)]++] = item;
}

}  // namespace

FolderIndex::FolderIndex() : m_folders{{nullptr, kNoFolder}}, m_rowStart{0, 0}, m_subStart{0, 0} {}

FolderIndex::FolderIndex(const EntryStore& store, const Disc& disc) : m_folders{{nullptr, kNoFolder}} {
    // Each row with the folder that holds it; a disc's rows mostly share the path of the row before.
    struct Placed {
        std::uint32_t row;
        FolderId folder;
    };
    std::vector<Placed> placed;
    placed.reserve(disc.entries);
    std::unordered_map<EntryStore::TextId, FolderId> byPath;
    // Rehashing while a disc of many folders is read costs more than buckets that stay empty.
    m_byKey.reserve(disc.entries / 4);
    const FolderRows folders(store);
    EntryStore::TextId lastPath = EntryStore::kNoId;
    FolderId lastFolder = kRoot;
    for (std::size_t row = disc.first; row < disc.end; ++row) {
        if (store.LabelId(row) != disc.label) continue;
        const EntryStore::TextId path = store.PathId(row);
        if (path != lastPath) {
            const auto [at, fresh] = byPath.try_emplace(path, kRoot);
            if (fresh) {
                // A walk goes down one folder at a time: the path then only adds names to the last one.
                const std::string_view text = store.Text(path);
                const std::string_view last = lastPath == EntryStore::kNoId ? "" : store.Text(lastPath);
                at->second = !last.empty() && last.back() == '\\' && text.starts_with(last)
                                 ? MakePath(lastFolder, text.substr(last.size()))
                                 : MakePath(kRoot, text);
            }
            lastPath = path;
            lastFolder = at->second;
        }
        placed.push_back({static_cast<std::uint32_t>(row), lastFolder});
        // A folder entry names its folder even when nothing inside it was recorded.
        if (folders.IsFolder(row)) MakePath(lastFolder, store.Name(row));
    }

    std::vector<Placed> grouped;
    GroupInOrder(
        placed, m_folders.size(), [](const Placed& p) { return p.folder; }, grouped, m_rowStart);
    m_rows.reserve(grouped.size());
    for (const Placed& p : grouped) m_rows.push_back(p.row);

    // Folders were made in the order the catalogue first names them, a parent before its subfolders.
    std::vector<FolderId> below;
    below.reserve(m_folders.size() - 1);
    for (FolderId f = 1; f < m_folders.size(); ++f) below.push_back(f);
    GroupInOrder(
        below, m_folders.size(), [this](FolderId f) { return m_folders[f].parent; }, m_subfolders,
        m_subStart);
}

FolderIndex::FolderId FolderIndex::Child(FolderId parent, std::string_view name) const {
    std::string key;
    MakeKey(key, parent, name);
    const auto found = m_byKey.find(key);
    return found == m_byKey.end() ? kNoFolder : found->second;
}

FolderIndex::FolderId FolderIndex::MakeChild(FolderId parent, std::string_view name) {
    MakeKey(m_key, parent, name);
    // The key is copied only when the folder is new.
    const auto [at, fresh] = m_byKey.try_emplace(m_key, static_cast<FolderId>(m_folders.size()));
    // Map nodes never move, so the folder can keep a pointer to its key.
    if (fresh) m_folders.push_back({&at->first, parent});
    return at->second;
}

FolderIndex::FolderId FolderIndex::MakePath(FolderId from, std::string_view path) {
    FolderId folder = from;
    ForEachName(path, [&](std::string_view name) {
        folder = MakeChild(folder, name);
        return true;
    });
    return folder;
}

FolderIndex::FolderId FolderIndex::Find(std::string_view path) const {
    FolderId folder = kRoot;
    ForEachName(path, [&](std::string_view name) {
        folder = Child(folder, name);
        return folder != kNoFolder;
    });
    return folder;
}

std::string FolderIndex::Path(FolderId folder) const {
    std::vector<std::string_view> names;
    for (FolderId f = folder; f != kRoot; f = Parent(f)) names.push_back(Name(f));
    std::string path = "\\";
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        path += *name;
        path += '\\';
    }
    return path;
}

std::string_view FolderIndex::Name(FolderId folder) const {
    const std::string* key = m_folders[folder].key;
    return key ? std::string_view(*key).substr(kIdBytes) : std::string_view();
}

std::span<const FolderIndex::FolderId> FolderIndex::Subfolders(FolderId folder) const {
    return {m_subfolders.data() + m_subStart[folder], m_subfolders.data() + m_subStart[folder + 1]};
}

std::span<const std::uint32_t> FolderIndex::Rows(FolderId folder) const {
    return {m_rows.data() + m_rowStart[folder], m_rows.data() + m_rowStart[folder + 1]};
}

FolderIndex::FolderId FolderIndex::Opens(const EntryStore& store, std::size_t row) const {
    if (!FolderRows(store).IsFolder(row)) return kNoFolder;
    const FolderId holder = Find(store.Path(row));
    if (holder == kNoFolder) return kNoFolder;
    FolderId folder = holder;
    ForEachName(store.Name(row), [&](std::string_view name) {
        folder = Child(folder, name);
        return folder != kNoFolder;
    });
    return folder == holder ? kNoFolder : folder;
}

}  // namespace catalogue
