#pragma once

#include <string>

namespace platform {

// The volume label of what a drive text or path names: the disc in an optical drive, or an image file;
// empty when it has none, when there is no disc, or when it cannot be read (a plain folder has none).
// Linux reads it with libblkid from the drive's device or from the image, Windows asks the drive.
std::string VolumeLabel(const std::string& driveText);

// The label libblkid finds on the device or image file `path`; empty when none.
std::string ProbeVolumeLabel(const std::string& path);

}  // namespace platform
