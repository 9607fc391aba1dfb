#include "platform/DriveMedia.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// A mapped drive holds a disc while its folder or image exists; the disc is another one when the path was
// replaced (another file or folder) or the image was rewritten.
DriveMedium LookAtMapped(const OpticalDrive& drive) {
    DriveMedium medium{drive.root, {}, {}, {}, {}, false};
    struct stat st {};
    if (drive.folder.empty() || ::stat(drive.folder.c_str(), &st) != 0) {
        // A mapped path that is missing is an empty drive; any other failure is the system's to tell.
        if (!drive.folder.empty() && errno != ENOENT && errno != ENOTDIR)
            medium.problem = std::strerror(errno);
        return medium;
    }
    medium.source = drive.folder;
    medium.identity = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' +
                      std::to_string(static_cast<long long>(st.st_mtime)) + ':' +
                      std::to_string(static_cast<long long>(st.st_size));
    return medium;
}

}  // namespace

DriveMedium LookAtDrive(const OpticalDrive& drive) {
    return drive.device.empty() ? LookAtMapped(drive) : LookAtDevice(drive);
}

std::vector<DriveMedium> LookAtDrives() {
    std::vector<DriveMedium> media;
    for (const OpticalDrive& drive : OpticalDrives()) media.push_back(LookAtDrive(drive));
    return media;
}

std::string EjectDisc(const DriveMedium& drive) {
    return drive.device.empty() ? std::string{} : EjectDevice(drive);
}

}  // namespace platform
