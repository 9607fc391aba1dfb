#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

namespace catalogue {

// The folders of one disc as its entries record them, built in one pass over the disc's rows, so that the
// disc can be browsed folder by folder. A folder is known from the paths of the entries (every folder on
// the way to one included, even without an entry of its own) and from folder entries (even one whose folder
// holds nothing). A path is the folder names between backslashes, compared as exact bytes; empty names are
// ignored, so "\DOCS\", "\DOCS" and "DOCS\" name one folder and an empty path names the root. Unlike a
// typed drive text (platform::Location), '/', "." and ".." are bytes of names as the catalogue records them.
class FolderIndex {
public:
    using FolderId = std::uint32_t;
    static constexpr FolderId kRoot = 0;
    static constexpr FolderId kNoFolder = 0xFFFFFFFFu;

    // The index of a disc without entries: the root alone.
    FolderIndex();
    // The index of the rows of `store` that belong to `disc`. Reads the store only while it is built.
    FolderIndex(const EntryStore& store, const Disc& disc);

    // Number of folders, the root included.
    std::size_t FolderCount() const { return m_folders.size(); }
    // The folder a path names, or kNoFolder when the disc has none of that path.
    FolderId Find(std::string_view path) const;
    // A folder's path as the disc walk writes it: "\" for the root, "\DOCS\SUB\" below it.
    std::string Path(FolderId folder) const;
    // A folder's own name, the last of its path; empty for the root.
    std::string_view Name(FolderId folder) const;
    // The folder that holds it; kNoFolder for the root.
    FolderId Parent(FolderId folder) const { return m_folders[folder].parent; }
    // The folders in it, in the order the catalogue first names them.
    std::span<const FolderId> Subfolders(FolderId folder) const;
    // The disc's rows directly in it, its files and folders, in catalogue order.
    std::span<const std::uint32_t> Rows(FolderId folder) const;
    // The folder that a folder entry of the disc opens (its path followed by its name); kNoFolder for a
    // file, or for a folder entry whose name holds no folder name.
    FolderId Opens(const EntryStore& store, std::size_t row) const;

private:
    struct Folder {
        const std::string* key;  // the lookup key: parent id, then the name's bytes
        FolderId parent;
    };
    // The subfolder `name` of `parent`, or kNoFolder.
    FolderId Child(FolderId parent, std::string_view name) const;
    // The same, made when it is missing.
    FolderId MakeChild(FolderId parent, std::string_view name);
    // The folder reached from `from` through the names of `path`, each made when it is missing.
    FolderId MakePath(FolderId from, std::string_view path);

    std::unordered_map<std::string, FolderId> m_byKey;
    std::string m_key;  // MakeChild's lookup key, kept so that a lookup allocates nothing
    std::vector<Folder> m_folders;
    std::vector<std::uint32_t> m_rows;      // the disc's rows grouped by folder, catalogue order within
    std::vector<std::uint32_t> m_rowStart;  // folder f's rows are [m_rowStart[f], m_rowStart[f + 1])
    std::vector<FolderId> m_subfolders;     // folders grouped by parent, in the order they were made
    std::vector<std::uint32_t> m_subStart;  // folder f's subfolders are [m_subStart[f], m_subStart[f + 1])
};

}  // namespace catalogue
