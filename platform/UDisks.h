#pragma once

#include <chrono>
#include <string>

namespace platform {

// How long an eject through the desktop's disk service may take in all: unmounting flushes nothing on a
// disc, and a tray opens within a few seconds.
inline constexpr std::chrono::milliseconds kUDisksDeadline{15'000};

// Lets the desktop's disk service (UDisks2, on the system bus) unmount the disc in `device` ("/dev/sr0") and
// open the drive's tray, so that the desktop's own view of the disc stays right. Empty when done, else the
// reason (D-Bus's message). Nobody is asked for a password: what the system's policy does not allow at once
// is refused, and the reason says that permission is needed. The calls wait for their replies (no event
// loop runs, and no QCoreApplication need exist), on a thread of their own, and no longer than `deadline`:
// a bus that never answers is then the reason, and later ejects do not queue behind it.
std::string EjectThroughUDisks(const std::string& device,
                               std::chrono::milliseconds deadline = kUDisksDeadline);

}  // namespace platform
