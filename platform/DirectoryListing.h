#pragma once

#include <climits>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace platform {

// Attribute bits in the Win32 sense, so that catalogues and rules are the same on every system.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;

// A modification time nobody knows (the catalogue's own unknown time has the same value).
inline constexpr std::int64_t kUnknownTime = INT64_MIN;

// One item of a folder listing, as FindFirstFileA/FindNextFileA would report it.
struct DirItem {
    std::string name;                      // bytes as the file system gives them, no folder
    std::uint32_t attributes{};            // kAttr* bits
    std::uint64_t size{};                  // the item's own size (a symbolic link's own size; 0 for folders)
    std::int64_t modified = kUnknownTime;  // last change, seconds since 1970 UTC (a link's own)
};

// Lists one folder in the file system's order and calls `visit` for every item.
// `folder` is a drive text ("E:\", "E:", "E:\DOCS\", "E:\DOCS\..\") or, on Linux, an absolute path.
// "." and ".." are reported for folders below a drive's root and never for the root itself.
// Returns false, having reported nothing, when the folder cannot be listed (no disc, unreadable,
// vanished, not a folder, unknown drive).
bool ListFolder(const std::string& folder, const std::function<void(const DirItem&)>& visit);

// Lists the folder `parts` (names, none of them "." or "..") below the system folder `top` as ListFolder
// does, with "." and ".." when `parts` is not empty. No symbolic link is followed on the way down, so no
// link on a disc leads the listing anywhere else.
bool ListFolderBelow(const std::string& top, std::span<const std::string> parts,
                     const std::function<void(const DirItem&)>& visit);

// True when an item with these attributes is a folder.
inline bool IsFolder(std::uint32_t attributes) {
    return (attributes & kAttrDirectory) != 0;
}

}  // namespace platform
