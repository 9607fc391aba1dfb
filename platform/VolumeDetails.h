#pragma once

#include <cstdint>
#include <string>

#include "platform/Location.h"

namespace platform {

// What a disc's file system tells of itself beyond its files, as read when the disc is catalogued.
struct VolumeDetails {
    static constexpr std::int64_t kUnknownSize = -1;

    std::string device;      // the block device a mounted folder comes from ("/dev/sr0"); empty for an image
    std::string label;       // the volume label as the file system carries it
    std::string fileSystem;  // "iso9660", "udf", "ext4", ... (Windows: "CDFS", "UDF", "NTFS", ...)
    std::string serial;      // the file system's UUID or serial number
    std::int64_t capacity = kUnknownSize;  // bytes in all
    std::int64_t freeBytes = kUnknownSize;
};

// The details of what `where` names: a drive (its mounted folder and device, or the image or folder it is
// mapped to), a folder (the file system it lies on) or an image file (its own file system; free space
// unknown). Nothing here fails: what cannot be read (no permission on a device, no such mount) stays unknown.
// Reads no file's data; of an image, only its first blocks.
VolumeDetails ReadVolumeDetails(const Location& where);
// True when `source` is a disc of its own (an image file, a device, the top of a mounted file system) rather
// than a folder inside a file system, whose serial and label (as ReadVolumeDetails gives them) say nothing of
// which disc it is. A drive root on Windows is always one.
bool NamesWholeVolume(const std::string& source);

// The size an ISO 9660 image or disc gives itself in its primary volume descriptor, in bytes; kUnknownSize
// when `path` holds no such descriptor.
std::int64_t IsoVolumeSize(const std::string& path);

}  // namespace platform
