#pragma once

#include <string>

namespace platform {

// Lets the desktop's disk service (UDisks2, on the system bus) unmount the disc in `device` ("/dev/sr0") and
// open the drive's tray, so that the desktop's own view of the disc stays right. Empty when done, else the
// reason (D-Bus's message). The calls wait for their replies: no event loop runs, and no QCoreApplication
// need exist.
std::string EjectThroughUDisks(const std::string& device);

}  // namespace platform
