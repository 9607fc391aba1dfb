#include "platform/VolumeDetails.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <string_view>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#else
#include <blkid/blkid.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <vector>

#include "platform/Drives.h"
#include "platform/MountTable.h"
#endif

namespace platform {

std::int64_t IsoVolumeSize(const std::string& path) {
    constexpr std::streamoff kPrimaryDescriptor = 16 * 2048;
    std::array<unsigned char, 2048> block{};
    std::ifstream in(path, std::ios::binary);
    in.seekg(kPrimaryDescriptor);
    if (!in.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size())))
        return VolumeDetails::kUnknownSize;
    if (block[0] != 1 || std::string_view(reinterpret_cast<const char*>(&block[1]), 5) != "CD001")
        return VolumeDetails::kUnknownSize;
    // Both numbers are stored twice, little-endian first.
    const std::int64_t blocks = std::int64_t{block[80]} | std::int64_t{block[81]} << 8 |
                                std::int64_t{block[82]} << 16 | std::int64_t{block[83]} << 24;
    const std::int64_t blockSize = std::int64_t{block[128]} | std::int64_t{block[129]} << 8;
    if (blocks == 0 || blockSize == 0) return VolumeDetails::kUnknownSize;
    return blocks * blockSize;
}

#ifdef _WIN32

VolumeDetails ReadVolumeDetails(const Location& where) {
    VolumeDetails details;
    if (!where.IsDrive()) return details;
    const std::string root = where.Root();
    char label[MAX_PATH + 1] = {};
    char fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    if (GetVolumeInformationA(root.c_str(), label, sizeof label, &serial, nullptr, nullptr, fileSystem,
                              sizeof fileSystem)) {
        details.label = label;
        details.fileSystem = fileSystem;
        char shown[16];
        std::snprintf(shown, sizeof shown, "%04lX-%04lX", static_cast<unsigned long>(serial >> 16),
                      static_cast<unsigned long>(serial & 0xFFFF));
        details.serial = shown;
    }
    ULARGE_INTEGER total{};
    ULARGE_INTEGER unused{};
    if (GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, &unused)) {
        details.capacity = static_cast<std::int64_t>(total.QuadPart);
        details.freeBytes = static_cast<std::int64_t>(unused.QuadPart);
    }
    return details;
}

#else

namespace {

// The file system's type, UUID and label as libblkid finds them on a device or an image file; what it
// finds replaces what `details` holds, what it does not leaves it alone. Reading a device takes a
// permission people often lack: then nothing is found.
void Probe(const std::string& path, VolumeDetails& details) {
    const blkid_probe probe = blkid_new_probe_from_filename(path.c_str());
    if (!probe) return;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_TYPE | BLKID_SUBLKS_UUID);
    if (blkid_do_safeprobe(probe) == 0) {
        const auto take = [&](const char* name, std::string& into) {
            const char* value = nullptr;
            // libblkid's length counts the closing zero.
            if (blkid_probe_lookup_value(probe, name, &value, nullptr) == 0 && value && *value) into = value;
        };
        take("TYPE", details.fileSystem);
        take("UUID", details.serial);
        take("LABEL", details.label);
    }
    blkid_free_probe(probe);
}

// udev's names in /dev/disk/by-*: the unsafe bytes written "\x20".
std::string Unescaped(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const std::string hex = name.substr(i + 2, 2);
            char* end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(name[i]);
    }
    return out;
}

// The name under which the system's device links (/dev/disk/by-uuid, by-label) list the device `rdev`: what
// udev read of it as root, for a device the user may not read.
std::string LinkedName(const char* folder, dev_t rdev) {
    DIR* dir = opendir(folder);
    if (!dir) return {};
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        struct stat st;
        const std::string link = std::string(folder) + "/" + entry->d_name;
        if (stat(link.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && st.st_rdev == rdev) {
            found = Unescaped(entry->d_name);
            break;
        }
    }
    closedir(dir);
    return found;
}

void FromImage(const std::string& path, VolumeDetails& details) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) details.device = path;
    Probe(path, details);
    details.capacity = IsoVolumeSize(path);
}

// A folder: the size of the file system it lies on, and the device and type the mount table gives it.
void FromFolder(const std::string& folder, VolumeDetails& details) {
    struct statvfs fs;
    if (statvfs(folder.c_str(), &fs) == 0) {
        details.capacity = static_cast<std::int64_t>(fs.f_blocks * fs.f_frsize);
        details.freeBytes = static_cast<std::int64_t>(fs.f_bfree * fs.f_frsize);
    }
    struct stat st;
    std::vector<MountRecord> mounts;
    if (stat(folder.c_str(), &st) != 0 || !ReadMountInfo(kSystemMountTable, mounts)) return;
    const std::string id = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    for (const MountRecord& mount : mounts) {
        if (mount.device != id) continue;
        details.fileSystem = mount.fsType;
        struct stat device;
        // Only a block device is a device here: "tmpfs", "overlay" or a network share name none.
        if (mount.source.starts_with('/') && stat(mount.source.c_str(), &device) == 0 &&
            S_ISBLK(device.st_mode)) {
            details.device = mount.source;
            Probe(details.device, details);
            if (details.serial.empty()) details.serial = LinkedName("/dev/disk/by-uuid", device.st_rdev);
            if (details.label.empty()) details.label = LinkedName("/dev/disk/by-label", device.st_rdev);
        }
        break;
    }
}

// A folder or a file: a regular file or a block device is read as an image, as the walk reads it.
void FromFolderOrImage(const std::string& path, VolumeDetails& details) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode))
        FromFolder(path, details);
    else if (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))
        FromImage(path, details);
}

}  // namespace

VolumeDetails ReadVolumeDetails(const Location& where) {
    VolumeDetails details;
    if (where.IsPath()) {
        FromFolderOrImage(where.Path(), details);
        return details;
    }
    const std::optional<OpticalDrive> drive = FindOpticalDrive(where);
    if (!drive) return details;
    if (!drive->folder.empty()) FromFolderOrImage(drive->folder, details);
    // The drive's own device says more than whatever the folder is mounted from.
    if (!drive->device.empty() && details.device != drive->device) {
        details.device = drive->device;
        Probe(drive->device, details);
    }
    return details;
}

#endif

bool NamesWholeVolume(const std::string& source) {
#ifdef _WIN32
    (void)source;
    return true;
#else
    struct stat self {};
    struct stat above {};
    if (::stat(source.c_str(), &self) != 0) return false;
    if (!S_ISDIR(self.st_mode)) return true;
    if (::stat((source + "/..").c_str(), &above) != 0) return false;
    return self.st_dev != above.st_dev || self.st_ino == above.st_ino;
#endif
}

}  // namespace platform
