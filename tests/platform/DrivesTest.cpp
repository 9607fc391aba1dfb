#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/Drives.h"

using platform::OpticalDrives;

namespace {

// Each drive as "root=folder", in the order listed.
std::vector<std::string> Listed(const std::vector<platform::OpticalDrive>& drives) {
    std::vector<std::string> listed;
    for (const platform::OpticalDrive& drive : drives) listed.push_back(drive.root + "=" + drive.folder);
    return listed;
}

}  // namespace

TEST(DriveMapTest, DrivesComeInLetterOrderSkippingMalformedPairs) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"F=/srv/two;D=/srv/one/;e=/media/cd rom", {"D:\\=/srv/one", "E:\\=/media/cd rom", "F:\\=/srv/two"}},
        // The first pair of a letter wins; a letter with no folder is a drive with no disc in it.
        {";X;=/a;1=/b;G=/first;G=/second;H=", {"G:\\=/first", "H:\\="}},
        {"", {}},
    };
    for (const auto& [map, expected] : cases) {
        SCOPED_TRACE(map);
        const DriveEnv env(map);
        EXPECT_EQ(Listed(OpticalDrives()), expected);
    }
    // A relative folder is fixed where it stands now: listings below the root open system paths.
    const DriveEnv relative("K=rel/./disc/");
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(Listed(OpticalDrives()), std::vector<std::string>{"K:\\=" + here + "/rel/disc"});
}

TEST(FindOpticalDriveTest, ADriveTextFindsTheDriveOfItsLetterWhateverItsCase) {
    const DriveEnv map("E=/media/cdrom;H=");
    const std::pair<const char*, const char*> cases[] = {
        {"e:\\DOCS\\", "E:\\=/media/cdrom"},
        {"H:", "H:\\="},  // a drive with no disc in it is still a drive
        {"F:\\", "<none>"},
        {"/media/cdrom", "<none>"},
        {"E", "<none>"},
    };
    for (const auto& [text, expected] : cases) {
        const auto drive = platform::FindOpticalDrive(platform::Location(text));
        EXPECT_EQ(drive ? drive->root + "=" + drive->folder : "<none>", expected) << text;
    }
}

TEST(DetectOpticalDrivesTest, DevicesAreLetteredInNumericOrderAndMappedToTheirMounts) {
    TempFolder system;
    system.Folder("block");
    for (const auto& [name, device] : std::vector<std::pair<std::string, std::string>>{
             {"sr10", "11:10"}, {"sr0", "11:0"}, {"sr1", "11:1"}, {"sda", "8:0"}, {"srx", "11:9"}}) {
        system.Folder("block/" + name);
        std::ofstream(system.At("block/" + name + "/dev")) << device << "\n";
    }
    std::ofstream(system.At("mountinfo")) << "25 1 8:0 / / rw,relatime - ext4 /dev/sda rw\n"
                                             "35 25 11:0 /DOCS /srv/docs ro - iso9660 /dev/sr0 ro\n"
                                             "36 25 11:0 / /media/my\\040cd ro,nosuid - iso9660 /dev/sr0 ro\n"
                                             "37 25 11:10 / /mnt/ten ro - udf /dev/sr10 ro\n"
                                             "38 25 11:10 / /mnt/again ro - udf /dev/sr10 ro\n";
    const auto drives = platform::DetectOpticalDrives(system.At("block"), system.At("mountinfo"));
    // No disc in sr1: the drive is there, but there is nothing to list.
    EXPECT_EQ(Listed(drives), (std::vector<std::string>{"D:\\=/media/my cd", "E:\\=", "F:\\=/mnt/ten"}));
}

TEST(FillDriveSlotsTest, RootsFillTheTableFromSlotZeroAndLaterSlotsKeepTheirText) {
    std::string eleven;
    for (char letter = 'P'; letter <= 'Z'; ++letter)
        eleven += std::string(1, letter) + "=/srv/" + letter + ";";
    const struct {
        std::string drives;
        std::size_t filled;
        std::vector<std::string> table;
    } cases[] = {
        {"", 0, {"old", "old", "old"}},
        {"F=/b;D=/a", 2, {"D:\\", "F:\\", "old"}},
        // Eleven drives: only what fits the table.
        {eleven, 3, {"P:\\", "Q:\\", "R:\\"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drives);
        const DriveEnv env(c.drives);
        std::vector<std::string> table(3, "old");
        EXPECT_EQ(platform::FillDriveSlots(table), c.filled);
        EXPECT_EQ(table, c.table);
    }
}
