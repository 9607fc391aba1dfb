#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/DriveMedia.h"

using platform::DriveMedium;

namespace {

// Bytes enough to reach past the volume descriptors, where images of one size differ.
void WriteImage(const std::string& path, char fill) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(40'000, fill);
}

}  // namespace

TEST(MappedDriveTest, ImagesAndFoldersArriveLeaveAndAreReplaced) {
    TempFolder temp;
    const std::string image = temp.At("drive.iso");
    const std::string folder = temp.At("drive");
    const std::string aside = temp.At("aside");
    struct Step {
        const char* what;
        std::function<void()> act;
        const std::string* path;  // the drive's mapped path
        bool disc;
        bool newIdentity;  // another disc than the step before saw
    };
    const Step steps[] = {
        {"no image yet", [] {}, &image, false, false},
        {"an image appears", [&] { WriteImage(image, 'a'); }, &image, true, true},
        {"nothing changed", [] {}, &image, true, false},
        {"another image of one size copied over it", [&] { WriteImage(image, 'b'); }, &image, true, true},
        {"another renamed over it",
         [&] {
             WriteImage(aside, 'c');
             std::filesystem::rename(aside, image);
         },
         &image, true, true},
        {"the image is taken away", [&] { std::filesystem::remove(image); }, &image, false, false},
        {"a folder appears", [&] { temp.Folder("drive"); }, &folder, true, true},
        {"nothing changed", [] {}, &folder, true, false},
        {"another renamed over it",
         [&] {
             temp.Folder("aside/docs");
             std::filesystem::remove_all(folder);
             std::filesystem::rename(aside, folder);
         },
         &folder, true, true},
        {"the folder is taken away", [&] { std::filesystem::remove_all(folder); }, &folder, false, false},
    };
    std::string last;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const DriveEnv env("E=" + *step.path);
        const std::vector<DriveMedium> media = platform::LookAtDrives();
        ASSERT_EQ(media.size(), 1u);
        const DriveMedium& medium = media[0];
        EXPECT_EQ(medium.root, "E:\\");
        EXPECT_EQ(medium.HasDisc(), step.disc);
        EXPECT_EQ(medium.source, step.disc ? *step.path : "");
        EXPECT_EQ(medium.identity.empty(), !step.disc);
        EXPECT_EQ(medium.problem, "");
        EXPECT_FALSE(medium.mounted);
        if (step.disc) {
            EXPECT_EQ(medium.identity != last, step.newIdentity);
        }
        last = medium.identity;
        // A mapped drive has no tray to open.
        EXPECT_EQ(platform::EjectDisc(medium), "");
    }
}
