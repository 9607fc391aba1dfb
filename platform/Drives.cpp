#include "platform/Drives.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>

#include <fstream>

#include "platform/MountTable.h"
#endif

namespace platform {

namespace {

#ifndef _WIN32

// "E=/media/cdrom;F=/srv/disc1": a malformed pair is skipped rather than failing the whole list, and the
// first pair of a letter wins, so a typo further on cannot shadow a drive.
std::vector<OpticalDrive> ParseDriveMap(std::string_view map) {
    std::vector<OpticalDrive> drives;
    while (!map.empty()) {
        const std::size_t end = map.find(';');
        const std::string_view pair = map.substr(0, end);
        map = end == std::string_view::npos ? std::string_view{} : map.substr(end + 1);
        std::string root = pair.empty() ? std::string{} : Location::RootOf(pair[0]);
        if (pair.size() < 2 || root.empty() || pair[1] != '=') continue;
        const bool known =
            std::any_of(drives.begin(), drives.end(), [&](const OpticalDrive& d) { return d.root == root; });
        if (known) continue;
        // A folder typed relative to wherever the program was started is fixed where it stands now.
        std::string folder = TrimmedPath(AbsolutePath(std::string(pair.substr(2))));
        drives.push_back({std::move(root), std::move(folder), {}});
    }
    std::sort(drives.begin(), drives.end(),
              [](const OpticalDrive& a, const OpticalDrive& b) { return a.root < b.root; });
    return drives;
}

// Where the device "major:minor" is mounted, or empty when it is not. The first mount of the whole disc
// wins; a bind mount of one of its folders is taken only when there is nothing better.
std::string MountPointOf(const std::string& device, const std::vector<MountRecord>& mounts) {
    std::string partial;
    for (const MountRecord& mount : mounts) {
        if (mount.device != device) continue;
        if (mount.root == "/") return mount.mountPoint;
        if (partial.empty()) partial = mount.mountPoint;
    }
    return partial;
}

#endif

}  // namespace

#ifndef _WIN32

std::vector<OpticalDrive> DetectOpticalDrives(const std::string& sysBlock, const std::string& mountInfo) {
    std::vector<int> numbers;
    if (DIR* dir = opendir(sysBlock.c_str())) {
        while (const dirent* item = readdir(dir)) {
            const std::string_view name = item->d_name;
            if (name.size() < 3 || name.substr(0, 2) != "sr") continue;
            const std::string_view digits = name.substr(2);
            if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            if (digits.size() <= 3) numbers.push_back(std::atoi(std::string(digits).c_str()));
        }
        closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<MountRecord> mounts;
    if (!numbers.empty()) ReadMountInfo(mountInfo, mounts);
    std::vector<OpticalDrive> drives;
    char letter = 'D';
    for (const int n : numbers) {
        if (letter > 'Z') break;
        std::ifstream devFile(sysBlock + "/sr" + std::to_string(n) + "/dev");
        std::string device;
        devFile >> device;
        drives.push_back({Location::RootOf(letter++),
                          device.empty() ? std::string{} : MountPointOf(device, mounts),
                          "/dev/sr" + std::to_string(n)});
    }
    return drives;
}

#endif

#ifdef _WIN32

std::vector<OpticalDrive> OpticalDrives() {
    std::vector<OpticalDrive> drives;
    const DWORD mask = GetLogicalDrives();
    for (int n = 0; n < 26; ++n) {
        if ((mask & (DWORD{1} << n)) == 0) continue;
        std::string root = Location::RootOf(static_cast<char>('A' + n));
        if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM) drives.push_back({root, root, {}});
    }
    return drives;
}

#else

std::vector<OpticalDrive> OpticalDrives() {
    if (const char* map = std::getenv("TAMBEROL_DRIVES")) return ParseDriveMap(map);
    return DetectOpticalDrives("/sys/block", kSystemMountTable);
}

#endif

std::size_t FillDriveSlots(std::span<std::string> table) {
    const std::vector<OpticalDrive> drives = OpticalDrives();
    const std::size_t filled = std::min(drives.size(), table.size());
    for (std::size_t i = 0; i < filled; ++i) table[i] = drives[i].root;
    return filled;
}

std::optional<OpticalDrive> FindOpticalDrive(const Location& where) {
    if (!where.IsDrive()) return std::nullopt;
    for (OpticalDrive& drive : OpticalDrives()) {
        if (drive.root[0] == where.Letter()) return std::move(drive);
    }
    return std::nullopt;
}

}  // namespace platform
