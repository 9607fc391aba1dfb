#include "platform/DriveMedia.h"

namespace platform {

// For now a drive of the machine holds a disc while the desktop has it mounted.
DriveMedium LookAtDevice(const OpticalDrive& drive) {
    DriveMedium medium{drive.root, drive.device, drive.folder, {}, {}, !drive.folder.empty()};
    if (medium.mounted) medium.identity = drive.folder;
    return medium;
}

std::string EjectDevice(const DriveMedium&) {
    return "ejecting is not supported here";
}

std::unique_ptr<MediaNotices> CreateMediaNotices() {
    return nullptr;
}

}  // namespace platform
