#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/Drives.h"

using platform::OpticalDrives;
using platform::ResolveFolder;

namespace {

std::vector<std::string> Roots() {
    std::vector<std::string> roots;
    for (const platform::OpticalDrive& drive : OpticalDrives()) roots.push_back(drive.root);
    return roots;
}

std::string Resolved(const std::string& text) {
    std::string native;
    return ResolveFolder(text, native) ? native : "<none>";
}

}  // namespace

TEST(DriveMapTest, DrivesComeInLetterOrderWithTheirFolders) {
    const DriveEnv map("F=/srv/two;D=/srv/one/;e=/media/cd rom");
    const auto drives = OpticalDrives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].root, "D:\\");
    EXPECT_EQ(drives[0].folder, "/srv/one");
    EXPECT_EQ(drives[1].root, "E:\\");
    EXPECT_EQ(drives[1].folder, "/media/cd rom");
    EXPECT_EQ(drives[2].root, "F:\\");
    EXPECT_EQ(drives[2].folder, "/srv/two");
}

TEST(DriveMapTest, MalformedPairsAreSkippedAndTheFirstPairOfALetterWins) {
    const DriveEnv map(";X;=/a;1=/b;G=/first;G=/second;H=");
    const auto drives = OpticalDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].root, "G:\\");
    EXPECT_EQ(drives[0].folder, "/first");
    // A letter with no folder is a drive with no disc in it.
    EXPECT_EQ(drives[1].root, "H:\\");
    EXPECT_EQ(drives[1].folder, "");
    EXPECT_EQ(Resolved("H:\\"), "<none>");
}

TEST(DriveMapTest, AnEmptyMapMeansNoDrives) {
    const DriveEnv map("");
    EXPECT_TRUE(Roots().empty());
}

TEST(DriveTextTest, LetterColonAndOptionallyABackslash) {
    EXPECT_TRUE(platform::IsDriveText("E:"));
    EXPECT_TRUE(platform::IsDriveText("E:\\"));
    EXPECT_TRUE(platform::IsDriveText("e:\\DOCS\\Sub"));
    EXPECT_FALSE(platform::IsDriveText("E"));
    EXPECT_FALSE(platform::IsDriveText("1:\\"));
    EXPECT_FALSE(platform::IsDriveText("E:DOCS"));
    EXPECT_FALSE(platform::IsDriveText("/media/cdrom"));
    EXPECT_FALSE(platform::IsDriveText(""));
}

TEST(ResolveFolderTest, DriveTextsMapBelowTheDriveFolder) {
    const DriveEnv map("E=/media/cdrom");
    EXPECT_EQ(Resolved("E:\\DOCS\\Sub\\"), "/media/cdrom/DOCS/Sub/");
    EXPECT_EQ(Resolved("E:\\DOCS\\Sub"), "/media/cdrom/DOCS/Sub/");
    EXPECT_EQ(Resolved("E:"), "/media/cdrom/");
    EXPECT_EQ(Resolved("E:\\"), "/media/cdrom/");
    EXPECT_EQ(Resolved("e:\\.\\DOCS"), "/media/cdrom/DOCS/");
}

TEST(ResolveFolderTest, DotDotNeverClimbsOutOfTheDrive) {
    const DriveEnv map("E=/media/cdrom");
    EXPECT_EQ(Resolved("E:\\.."), "/media/cdrom/");
    EXPECT_EQ(Resolved("E:\\..\\..\\etc\\"), "/media/cdrom/etc/");
    EXPECT_EQ(Resolved("E:\\DOCS\\..\\PICS\\"), "/media/cdrom/PICS/");
    EXPECT_EQ(Resolved("E:\\DOCS/../../.."), "/media/cdrom/");
}

TEST(ResolveFolderTest, UnknownDrivesFailAndSystemPathsPassThrough) {
    const DriveEnv map("E=/media/cdrom");
    EXPECT_EQ(Resolved("F:\\"), "<none>");
    EXPECT_EQ(Resolved("DOCS\\"), "<none>");
    EXPECT_EQ(Resolved(""), "<none>");
    EXPECT_EQ(Resolved("/srv/copies/disc1"), "/srv/copies/disc1");
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
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].root, "D:\\");
    EXPECT_EQ(drives[0].folder, "/media/my cd");
    // No disc in sr1: the drive is there, but there is nothing to list.
    EXPECT_EQ(drives[1].root, "E:\\");
    EXPECT_EQ(drives[1].folder, "");
    EXPECT_EQ(drives[2].root, "F:\\");
    EXPECT_EQ(drives[2].folder, "/mnt/ten");
}
