#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Location.h"

namespace platform {

// An optical drive: named by its root text on every system; on Linux also mapped to a folder.
struct OpticalDrive {
    std::string root;    // letter, colon, backslash: "E:\"
    std::string folder;  // Linux: mount point, mapped folder or image file, without a trailing '/'; empty
                         // while no disc is mounted
    std::string device;  // Linux: the drive's device ("/dev/sr0"); empty for a mapped drive
};

// The machine's optical drives in drive-letter order.
// Linux: TAMBEROL_DRIVES ("E=/media/cdrom;F=/srv/holiday.iso") when set, else /sys/block/sr* lettered from D:
// upward in device order, each mapped to its mount point from /proc/self/mountinfo.
// Windows: every root for which GetDriveTypeA answers DRIVE_CDROM.
std::vector<OpticalDrive> OpticalDrives();

// Copies the optical drive roots into `table` from slot 0 on, in drive-letter order, and says how many it
// copied: drives beyond the last slot are left out, and the slots after the last root copied keep their text.
std::size_t FillDriveSlots(std::span<std::string> table);

#ifndef _WIN32
// The detection behind OpticalDrives without a drive map, reading the given block-device folder
// ("/sys/block") and mount table ("/proc/self/mountinfo"); separate so that it can be checked on copies.
std::vector<OpticalDrive> DetectOpticalDrives(const std::string& sysBlock, const std::string& mountInfo);
#endif

// The optical drive a drive text names; none for a path, for anything else, or for a letter that is no
// optical drive of the machine.
std::optional<OpticalDrive> FindOpticalDrive(const Location& where);

}  // namespace platform
