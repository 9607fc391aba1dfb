#include "platform/DriveMedia.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, whose types it uses.
#include <winioctl.h>

#include <cstdio>
#else
#include <blkid/blkid.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/UDisks.h"
#endif

namespace platform {

#ifdef _WIN32

namespace {

std::string SystemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

}  // namespace

DriveMedium LookAtDevice(const OpticalDrive& drive) {
    DriveMedium medium{drive.root, {}, {}, {}, {}, false};
    // An empty drive must not bring up the system's box asking for a disk.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS, &oldMode);
    char label[MAX_PATH + 1] = {};
    DWORD serial = 0;
    const BOOL found =
        GetVolumeInformationA(drive.root.c_str(), label, sizeof label, &serial, nullptr, nullptr, nullptr, 0);
    const DWORD error = GetLastError();
    SetThreadErrorMode(oldMode, nullptr);
    if (!found) {
        // No disc, a disc still spinning up and one with no file system (music) all leave nothing to read.
        if (error == ERROR_ACCESS_DENIED) medium.problem = SystemMessage(error);
        return medium;
    }
    char shown[16];
    std::snprintf(shown, sizeof shown, "%08lX", static_cast<unsigned long>(serial));
    medium.source = drive.folder.empty() ? drive.root : drive.folder;
    medium.identity = std::string(shown) + ':' + label;
    medium.mounted = true;
    return medium;
}

std::string EjectDevice(const DriveMedium& drive) {
    if (drive.root.size() < 2) return SystemMessage(ERROR_INVALID_DRIVE);
    const std::string volume = "\\\\.\\" + drive.root.substr(0, 2);
    const HANDLE handle = CreateFileA(volume.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return SystemMessage(GetLastError());
    DWORD returned = 0;
    const BOOL ejected =
        DeviceIoControl(handle, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    return ejected ? std::string{} : SystemMessage(error);
}

// WM_DEVICECHANGE tells of arrivals there (DeviceNotices).
std::unique_ptr<MediaNotices> CreateMediaNotices() {
    return nullptr;
}

#else

namespace {

// Fields of an identity, each with its length, so that no label can pass for two other fields.
void AddField(std::string& identity, std::string_view field) {
    identity += std::to_string(field.size());
    identity += ':';
    identity += field;
}

// What tells the disc in the open drive `fd` from the next: the file system's UUID and label and the medium's
// size as libblkid reads them from the first blocks, and the end of the last track, which also tells apart
// discs with no file system. The page cache keeps those blocks until the medium changes, so looking again
// each round does not touch the disc.
std::string DiscIdentity(int fd) {
    std::string uuid;
    std::string label;
    long long size = 0;
    if (const blkid_probe probe = blkid_new_probe()) {
        if (blkid_probe_set_device(probe, fd, 0, 0) == 0) {
            size = static_cast<long long>(blkid_probe_get_size(probe));
            blkid_probe_enable_superblocks(probe, 1);
            blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID);
            if (blkid_do_safeprobe(probe) == 0) {
                const char* value = nullptr;
                if (blkid_probe_lookup_value(probe, "UUID", &value, nullptr) == 0 && value) uuid = value;
                if (blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value) label = value;
            }
        }
        blkid_free_probe(probe);
    }
    cdrom_tocentry leadout{};
    leadout.cdte_track = CDROM_LEADOUT;
    leadout.cdte_format = CDROM_LBA;
    const bool hasToc = ::ioctl(fd, CDROMREADTOCENTRY, &leadout) == 0;
    std::string identity;
    AddField(identity, uuid);
    AddField(identity, label);
    AddField(identity, std::to_string(size));
    AddField(identity, hasToc ? std::to_string(leadout.cdte_addr.lba) : std::string{});
    return identity;
}

// A disc the desktop mounted is readable through its mount point even where its device is not: what the mount
// shows of it (where its root lies, when it was written, its size) then tells it from the next. Empty when
// the mount point cannot be looked at either.
std::string MountIdentity(const std::string& folder) {
    struct stat st {};
    struct statvfs fs {};
    if (::stat(folder.c_str(), &st) != 0 || ::statvfs(folder.c_str(), &fs) != 0) return {};
    std::string identity = "mount";
    AddField(identity, std::to_string(st.st_ino));
    AddField(identity, std::to_string(static_cast<long long>(st.st_mtim.tv_sec)));
    AddField(identity, std::to_string(static_cast<unsigned long long>(fs.f_blocks) * fs.f_frsize));
    return identity;
}

}  // namespace

DriveMedium LookAtDevice(const OpticalDrive& drive) {
    DriveMedium medium{drive.root, drive.device, {}, {}, {}, false};
    // O_NONBLOCK opens a drive with no disc or an open tray instead of failing.
    const int fd = ::open(drive.device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (!drive.folder.empty() && (error == EACCES || error == EPERM)) {
            medium.identity = MountIdentity(drive.folder);
            if (!medium.identity.empty()) {
                medium.source = drive.folder;
                medium.mounted = true;
                return medium;
            }
        }
        medium.problem = std::strerror(error);
        return medium;
    }
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    const int error = errno;
    // Held no longer than the look: an open descriptor keeps the tray from opening.
    if (status == CDS_DISC_OK) medium.identity = DiscIdentity(fd);
    ::close(fd);
    if (status < 0) {
        medium.problem = std::strerror(error);
    } else if (status == CDS_DISC_OK) {
        medium.mounted = !drive.folder.empty();
        medium.source = medium.mounted ? drive.folder : drive.device;
    }
    return medium;
}

std::string EjectDevice(const DriveMedium& drive) {
    // The desktop must let go of a disc it mounted, or the kernel refuses and the desktop keeps showing it.
    if (drive.mounted) return EjectThroughUDisks(drive.device);
    const int fd = ::open(drive.device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    const int result = ::ioctl(fd, CDROMEJECT);
    const int error = errno;
    ::close(fd);
    return result == 0 ? std::string{} : std::strerror(error);
}

#endif

}  // namespace platform
