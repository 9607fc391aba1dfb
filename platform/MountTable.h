#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The kernel's table of the mounts this process sees.
inline constexpr const char* kSystemMountTable = "/proc/self/mountinfo";

// One line of a Linux mount table (/proc/self/mountinfo), reduced to what tells one mount from another.
struct MountRecord {
    std::uint32_t id = 0;    // the kernel's mount id
    std::string device;      // major:minor of the mounted file system
    std::string root;        // the folder of that file system shown at the mount point: "/" for all of it
    std::string mountPoint;  // octal escapes (\040 for a blank) already decoded
    std::string fsType;
    std::string source;

    auto operator<=>(const MountRecord&) const = default;
    bool operator==(const MountRecord&) const = default;
};

// Reads a mountinfo text; malformed lines are skipped, so a half-written table never yields a bogus mount.
std::vector<MountRecord> ParseMountInfo(std::string_view text);

// Reads the mountinfo file at `path` into `records`; false, leaving `records` alone, when it cannot be read.
bool ReadMountInfo(const std::string& path, std::vector<MountRecord>& records);

// The mounts of `after` that `before` does not hold: the arrivals. Mounts that went away are not reported.
std::vector<MountRecord> NewMounts(const std::vector<MountRecord>& before,
                                   const std::vector<MountRecord>& after);

}  // namespace platform
