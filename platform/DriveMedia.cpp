#include "platform/DriveMedia.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <time.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string_view>
#endif

namespace platform {

namespace {

#ifndef _WIN32

std::string StampOf(const timespec& time) {
    return std::to_string(static_cast<long long>(time.tv_sec)) + '.' + std::to_string(time.tv_nsec);
}

// What an image's volume descriptors say of it (label, size, when it was made), boiled down: a script that
// copies images of one size over the mapped path rewrites the same inode, within the clock's tick of the last
// copy, and only the bytes then tell the discs apart.
std::string DescriptorsOf(const std::string& image) {
    constexpr std::streamoff kFirstDescriptor = 16 * 2048;
    std::array<char, 2 * 2048> bytes{};
    std::ifstream in(image, std::ios::binary);
    in.seekg(kFirstDescriptor);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto read = static_cast<std::size_t>(in.gcount());
    return std::to_string(std::hash<std::string_view>{}(std::string_view(bytes.data(), read)));
}

// A path whose content changed this recently may still be being copied in. A modification time far ahead of
// the clock was set, not written: waiting for it would keep the disc out for good.
constexpr std::chrono::nanoseconds kSettle = std::chrono::milliseconds(300);
constexpr std::chrono::nanoseconds kAhead = std::chrono::minutes(1);

bool StillChanging(const timespec& modified) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const auto age = std::chrono::seconds(now.tv_sec - modified.tv_sec) +
                     std::chrono::nanoseconds(now.tv_nsec - modified.tv_nsec);
    return age < kSettle && age > -kAhead;
}

// A mapped drive holds a disc while its folder or image exists; the disc is another one when the path was
// replaced (another file or folder) or the image was rewritten. Seconds are too coarse for that, and the
// change time also tells a file from a later one that reuses the inode of a deleted one, even when whoever
// wrote it set its modification time back.
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
    medium.identity = std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino);
    // A folder is another disc only when another folder took its place: its times change with every file
    // made in it (a catalogue saved there among them), which must not make it arrive again.
    if (!S_ISREG(st.st_mode)) return medium;
    // Only the modification time tells of a copy under way: an image written elsewhere and renamed into
    // place keeps it, and arrives at once.
    if (StillChanging(st.st_mtim)) return {drive.root, {}, {}, {}, {}, false};
    medium.identity += ':' + StampOf(st.st_mtim) + ':' + StampOf(st.st_ctim) + ':' +
                       std::to_string(static_cast<long long>(st.st_size)) + ':' + DescriptorsOf(drive.folder);
    return medium;
}

#endif

}  // namespace

// Windows maps no drives: every drive is one of the machine's, named by its root.
DriveMedium LookAtDrive(const OpticalDrive& drive) {
#ifdef _WIN32
    return LookAtDevice(drive);
#else
    return drive.device.empty() ? LookAtMapped(drive) : LookAtDevice(drive);
#endif
}

std::vector<DriveMedium> LookAtDrives() {
    std::vector<DriveMedium> media;
    for (const OpticalDrive& drive : OpticalDrives()) media.push_back(LookAtDrive(drive));
    return media;
}

std::string EjectDisc(const DriveMedium& drive) {
#ifdef _WIN32
    return EjectDevice(drive);
#else
    return drive.device.empty() ? std::string{} : EjectDevice(drive);
#endif
}

}  // namespace platform
