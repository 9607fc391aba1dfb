#include "platform/DirectoryListing.h"

#include "platform/Drives.h"
#include "platform/Location.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

namespace platform {

#ifdef _WIN32

namespace {

// A FILETIME (100 ns steps since 1601 UTC) in whole seconds since 1970 UTC; a file system that keeps no
// times gives 0, which is unknown.
std::int64_t UnixSeconds(const FILETIME& time) {
    const std::uint64_t ticks = (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    if (ticks == 0) return kUnknownTime;
    constexpr std::uint64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kSeconds1601To1970 = 11'644'473'600;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSeconds1601To1970;
}

}  // namespace

bool ListFolder(const std::string& folder, const std::function<void(const DirItem&)>& visit) {
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '\\') pattern.push_back('\\');
    pattern += "*.*";
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    DirItem item;
    do {
        item.name = data.cFileName;
        item.attributes = data.dwFileAttributes;
        item.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        item.modified = UnixSeconds(data.ftLastWriteTime);
        // A junction or symbolic link to a folder is reported as a file so that nobody walks through it.
        if ((item.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsFolder(item.attributes))
            item.attributes = (item.attributes & ~kAttrDirectory) | kAttrArchive;
        visit(item);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return true;
}

bool ListFolderBelow(const std::string& top, std::span<const std::string> parts,
                     const std::function<void(const DirItem&)>& visit) {
    std::string folder = top;
    for (const std::string& part : parts) {
        if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
        folder += part;
    }
    return ListFolder(folder, visit);
}

#else

namespace {

// The write test of access(W_OK) done on the lstat result, which saves a system call per item.
class WriteAccess {
public:
    WriteAccess() : m_uid(geteuid()), m_gid(getegid()) {
        const int count = getgroups(0, nullptr);
        if (count > 0) {
            m_groups.resize(static_cast<std::size_t>(count));
            m_groups.resize(static_cast<std::size_t>(std::max(0, getgroups(count, m_groups.data()))));
        }
    }

    bool Writable(const struct stat& st) const {
        if (m_uid == 0) return true;
        if (st.st_uid == m_uid) return (st.st_mode & S_IWUSR) != 0;
        if (st.st_gid == m_gid || std::find(m_groups.begin(), m_groups.end(), st.st_gid) != m_groups.end())
            return (st.st_mode & S_IWGRP) != 0;
        return (st.st_mode & S_IWOTH) != 0;
    }

private:
    uid_t m_uid;
    gid_t m_gid;
    std::vector<gid_t> m_groups;
};

const WriteAccess& ThisUser() {
    static const WriteAccess access;
    return access;
}

// Fills `item` for `name` in the open folder; false when the item vanished since it was read.
bool Describe(int dirFd, const char* name, bool readOnlyMount, DirItem& item) {
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    item.name.assign(name);
    item.modified = st.st_mtime;
    std::uint32_t attributes = 0;
    if (S_ISDIR(st.st_mode)) {
        attributes = kAttrDirectory;
        item.size = 0;
    } else {
        attributes = kAttrArchive;
        item.size = static_cast<std::uint64_t>(st.st_size);
    }
    if (readOnlyMount || !ThisUser().Writable(st)) attributes |= kAttrReadOnly;
    if (name[0] == '.' && !(name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
        attributes |= kAttrHidden;
    item.attributes = attributes;
    return true;
}

// Opens `parts` below `top` one name at a time, refusing symbolic links.
int OpenBelow(const std::string& top, std::span<const std::string> parts) {
    int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const std::string& part : parts) {
        if (fd < 0) break;
        const int next = openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    return fd;
}

// Lists the open folder `fd` (which it closes); `atRoot` leaves out "." and "..".
bool ListOpenFolder(int fd, bool atRoot, const std::function<void(const DirItem&)>& visit) {
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    struct statvfs fs;
    const bool readOnlyMount = fstatvfs(fd, &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0;
    DirItem item;
    // Win32 lists "." and ".." first in every folder but a root; readdir may give them anywhere.
    if (!atRoot) {
        for (const char* dot : {".", ".."}) {
            if (Describe(fd, dot, readOnlyMount, item)) visit(item);
        }
    }
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if (Describe(fd, name, readOnlyMount, item)) visit(item);
    }
    closedir(dir);
    return true;
}

}  // namespace

bool ListFolder(const std::string& folder, const std::function<void(const DirItem&)>& visit) {
    const Location where(folder);
    if (where.IsPath())
        return ListOpenFolder(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), true, visit);
    const std::optional<OpticalDrive> drive = FindOpticalDrive(where);
    if (!drive || drive->folder.empty()) return false;
    return ListFolderBelow(drive->folder, where.Names(), visit);
}

bool ListFolderBelow(const std::string& top, std::span<const std::string> parts,
                     const std::function<void(const DirItem&)>& visit) {
    return ListOpenFolder(OpenBelow(top, parts), parts.empty(), visit);
}

#endif

}  // namespace platform
