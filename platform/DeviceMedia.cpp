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
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/MountTable.h"
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

constexpr const char* kSeveralSessions = "a disc of several sessions can only be read once it is mounted";
constexpr const char* kMusic = "a disc of music holds no files to read";
// A tray that some program holds open (the desktop's disk service probing the disc, a reader that has not
// let go yet) is usually let go of within a moment.
constexpr auto kBusyFor = std::chrono::seconds(2);
constexpr auto kBusyPause = std::chrono::milliseconds(100);

// Fields of an identity, each with its length, so that no label can pass for two other fields.
void AddField(std::string& identity, std::string_view field) {
    identity += std::to_string(field.size());
    identity += ':';
    identity += field;
}

// A drive still spinning a disc up, or one holding a blank disc, cannot read its table of contents: no disc
// yet, rather than a disc whose identity would change as soon as it can.
std::optional<DiscToc> ReadToc(int fd) {
    cdrom_tochdr header{};
    if (::ioctl(fd, CDROMREADTOCHDR, &header) != 0) return std::nullopt;
    cdrom_tocentry first{};
    first.cdte_track = header.cdth_trk0;
    first.cdte_format = CDROM_LBA;
    cdrom_tocentry leadOut{};
    leadOut.cdte_track = CDROM_LEADOUT;
    leadOut.cdte_format = CDROM_LBA;
    if (::ioctl(fd, CDROMREADTOCENTRY, &first) != 0 || ::ioctl(fd, CDROMREADTOCENTRY, &leadOut) != 0)
        return std::nullopt;
    cdrom_multisession session{};
    session.addr_format = CDROM_LBA;
    // A drive that cannot tell sessions apart reads every disc as one of a single session.
    if (::ioctl(fd, CDROMMULTISESSION, &session) != 0) session.addr.lba = 0;
    return DiscToc{header.cdth_trk0, header.cdth_trk1, (first.cdte_ctrl & CDROM_DATA_TRACK) != 0,
                   leadOut.cdte_addr.lba, session.addr.lba};
}

// Only the file systems of discs are looked for: each other kind would read blocks of its own, some at the
// disc's far end.
DiscNames ProbeNames(int fd) {
    DiscNames names;
    const blkid_probe probe = blkid_new_probe();
    if (!probe) return names;
    char iso9660[] = "iso9660";
    char udf[] = "udf";
    char* discKinds[] = {iso9660, udf, nullptr};
    if (blkid_probe_set_device(probe, fd, 0, 0) == 0 &&
        blkid_probe_filter_superblocks_type(probe, BLKID_FLTR_ONLYIN, discKinds) == 0) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID);
        if (blkid_do_safeprobe(probe) == 0) {
            const char* value = nullptr;
            if (blkid_probe_lookup_value(probe, "UUID", &value, nullptr) == 0 && value) names.uuid = value;
            if (blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value) names.label = value;
        }
    }
    blkid_free_probe(probe);
    return names;
}

// The names read of the disc each device holds, with the table of contents they were read under. The
// kernel drops a device's cached blocks when its last descriptor closes, so without this every look would
// make the drive seek, and a disc it reads badly would log errors at every look.
struct KnownDisc {
    DiscToc toc;
    DiscNames names;
};
std::mutex& KnownMutex() {
    static std::mutex mutex;
    return mutex;
}
std::map<std::string, KnownDisc>& KnownDiscs() {
    static std::map<std::string, KnownDisc> discs;
    return discs;
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

// Opens the tray of a drive nobody mounted.
std::string OpenTray(const std::string& device) {
    const int fd = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    const auto until = std::chrono::steady_clock::now() + kBusyFor;
    int error = 0;
    for (;;) {
        if (::ioctl(fd, CDROMEJECT) == 0) {
            error = 0;
            break;
        }
        error = errno;
        if (error != EBUSY || std::chrono::steady_clock::now() >= until) break;
        std::this_thread::sleep_for(kBusyPause);
    }
    ::close(fd);
    return error == 0 ? std::string{} : std::strerror(error);
}

}  // namespace

DriveMedium MediumOfToc(const OpticalDrive& drive, const std::optional<DiscToc>& toc,
                        const std::function<DiscNames()>& probe) {
    DriveMedium medium{drive.root, drive.device, {}, {}, {}, false};
    if (!toc) {
        const std::lock_guard lock(KnownMutex());
        KnownDiscs().erase(drive.device);
        return medium;
    }
    std::optional<DiscNames> names;
    {
        const std::lock_guard lock(KnownMutex());
        const auto known = KnownDiscs().find(drive.device);
        if (known != KnownDiscs().end() && known->second.toc == *toc) names = known->second.names;
    }
    if (!names) {
        // Music has no file system to find; reading it would only log the drive's errors.
        names = toc->dataFirst ? probe() : DiscNames{};
        const std::lock_guard lock(KnownMutex());
        KnownDiscs()[drive.device] = KnownDisc{*toc, *names};
    }
    // Read from the drive, not from the disc's blocks, which a disc just put in may not yet give.
    AddField(medium.identity, std::to_string(toc->firstTrack) + '-' + std::to_string(toc->lastTrack));
    AddField(medium.identity, toc->dataFirst ? "data" : "music");
    AddField(medium.identity, std::to_string(toc->leadOut));
    AddField(medium.identity, std::to_string(toc->lastSession));
    AddField(medium.identity, names->uuid);
    AddField(medium.identity, names->label);
    medium.mounted = !drive.folder.empty();
    // The device read as an image shows the first session, and a disc that starts with music not even that;
    // the kernel mounts the last session.
    if (medium.mounted)
        medium.source = drive.folder;
    else if (toc->lastSession != 0)
        medium.problem = kSeveralSessions;
    else if (!toc->dataFirst)
        medium.problem = kMusic;
    else
        medium.source = drive.device;
    return medium;
}

bool DeviceMounted(const std::string& device, const std::string& mountInfo) {
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return false;
    const std::string number = std::to_string(major(st.st_rdev)) + ':' + std::to_string(minor(st.st_rdev));
    std::vector<MountRecord> mounts;
    ReadMountInfo(mountInfo, mounts);
    return std::any_of(mounts.begin(), mounts.end(),
                       [&](const MountRecord& mount) { return mount.device == number; });
}

DriveMedium LookAtDevice(const OpticalDrive& drive) {
    // O_NONBLOCK opens a drive with no disc or an open tray instead of failing.
    const int fd = ::open(drive.device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        DriveMedium medium{drive.root, drive.device, {}, {}, {}, false};
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
    DriveMedium medium{drive.root, drive.device, {}, {}, {}, false};
    if (status < 0)
        medium.problem = std::strerror(error);
    else
        medium = MediumOfToc(drive, status == CDS_DISC_OK ? ReadToc(fd) : std::nullopt,
                             [fd] { return ProbeNames(fd); });
    // Held no longer than the look: an open descriptor keeps the tray from opening.
    ::close(fd);
    return medium;
}

std::string EjectDevice(const DriveMedium& drive) {
    // Decided now, not by the look: the desktop may have mounted the disc since, or let go of it. It must
    // let go of a disc it mounted, or the kernel refuses and the desktop keeps showing the disc.
    if (DeviceMounted(drive.device, kSystemMountTable)) {
        const std::string reason = EjectThroughUDisks(drive.device);
        // The service may be out of reach, or have let go of the disc and then failed at the tray: once
        // nobody holds the disc mounted, the drive's own request opens it.
        if (reason.empty() || DeviceMounted(drive.device, kSystemMountTable)) return reason;
    }
    return OpenTray(drive.device);
}

#endif

}  // namespace platform
