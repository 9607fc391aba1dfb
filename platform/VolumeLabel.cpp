#include "platform/VolumeLabel.h"

#include "platform/Drives.h"
#include "platform/Location.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <blkid/blkid.h>
#include <sys/stat.h>
#endif

namespace platform {

#ifdef _WIN32

std::string ProbeVolumeLabel(const std::string&) {
    return {};
}

std::string VolumeLabel(const std::string& driveText) {
    const Location where(driveText);
    if (!where.IsDrive()) return {};
    const std::string root = where.Root();
    char name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root.c_str(), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return name;
}

#else

std::string ProbeVolumeLabel(const std::string& path) {
    blkid_probe probe = blkid_new_probe_from_filename(path.c_str());
    if (!probe) return {};
    std::string label;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
    const char* value = nullptr;
    std::size_t length = 0;
    if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "LABEL", &value, &length) == 0 &&
        value)
        label.assign(value);  // libblkid's length counts the closing zero
    blkid_free_probe(probe);
    return label;
}

std::string VolumeLabel(const std::string& driveText) {
    const Location where(driveText);
    struct stat st;
    if (where.IsPath())
        return stat(where.Text().c_str(), &st) == 0 && S_ISREG(st.st_mode) ? ProbeVolumeLabel(where.Text())
                                                                           : std::string{};
    const std::optional<OpticalDrive> drive = FindOpticalDrive(where);
    if (!drive) return {};
    if (!drive->device.empty()) return ProbeVolumeLabel(drive->device);
    // A drive mapped to an image file has the image's label; one mapped to a folder has none.
    if (!drive->folder.empty() && stat(drive->folder.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return ProbeVolumeLabel(drive->folder);
    return {};
}

#endif
}  // namespace platform
