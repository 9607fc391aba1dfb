#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/DriveMedia.h"

using platform::DriveMedium;
using platform::OpticalDrive;

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

TEST(DeviceTest, WhatIsNoOpticalDriveGivesTheSystemsReasonAndNoDisc) {
    TempFolder temp;
    temp.File("plain", 100);
    temp.Folder("folder");
    const std::string cases[] = {"/dev/sr99", "/dev/null", temp.At("plain"), temp.At("folder")};
    for (const std::string& device : cases) {
        SCOPED_TRACE(device);
        for (const std::string& mountPoint : {std::string{}, temp.At("folder")}) {
            const DriveMedium medium = platform::LookAtDrive(OpticalDrive{"D:\\", mountPoint, device});
            EXPECT_FALSE(medium.HasDisc());
            EXPECT_FALSE(medium.mounted);
            EXPECT_EQ(medium.identity, "");
            EXPECT_NE(medium.problem, "");
        }
        EXPECT_EQ(platform::LookAtDevice(OpticalDrive{"D:\\", {}, device}).problem,
                  std::strerror(device == "/dev/sr99" ? ENOENT : ENOTTY));
        EXPECT_NE(platform::EjectDisc(DriveMedium{"D:\\", device, {}, {}, {}, false}), "");
    }
}

// A device the user may not open: its disc is still read through the desktop's mount, and refused without
// one. Root opens anything, so root looks as nobody, in a child.
TEST(DeviceTest, ADeviceThatMayNotBeOpenedIsReadThroughItsMountOrRefused) {
    TempFolder temp;
    temp.File("sr0", 100);
    chmod(temp.At("sr0").c_str(), 0);
    const std::string device = temp.At("sr0");
    const auto look = [&](const std::string& mountPoint) {
        if (geteuid() == 0 && seteuid(65534) != 0) std::_Exit(3);
        const DriveMedium medium = platform::LookAtDevice(OpticalDrive{"D:\\", mountPoint, device});
        const bool mounted = medium.mounted && medium.source == mountPoint && !medium.identity.empty() &&
                             medium.problem.empty();
        const bool refused = !medium.HasDisc() && medium.problem == std::strerror(EACCES);
        std::_Exit(mounted ? 1 : refused ? 2 : 0);
    };
    EXPECT_EXIT(look("/"), testing::ExitedWithCode(1), "");
    EXPECT_EXIT(look(""), testing::ExitedWithCode(2), "");
}

TEST(MediaNoticesTest, GivesAWaitableDescriptorOrNoneAndDrainingNeverWaits) {
    const std::unique_ptr<platform::MediaNotices> notices = platform::CreateMediaNotices();
    if (!notices) GTEST_SKIP() << "neither udev nor the mount table can be watched here";
    ASSERT_GE(notices->Fd(), 0);
    EXPECT_NE(fcntl(notices->Fd(), F_GETFD), -1);
    auto drained = std::async(std::launch::async, [&] {
        notices->Drain();
        notices->Drain();
    });
    EXPECT_EQ(drained.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

// A mount in a namespace of the test's own (no privilege needed where user namespaces are allowed) wakes the
// descriptor, and draining makes it wait again: were it left readable, a watcher would spin.
TEST(MediaNoticesTest, AMountWakesTheDescriptorAndDrainingQuietsIt) {
    TempFolder temp;
    temp.Folder("mnt");
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            std::_Exit(77);
        const std::unique_ptr<platform::MediaNotices> notices = platform::CreateMediaNotices();
        if (!notices || mount("none", temp.At("mnt").c_str(), "tmpfs", 0, nullptr) != 0) std::_Exit(77);
        pollfd waiting{notices->Fd(), POLLIN, 0};
        if (poll(&waiting, 1, 10'000) != 1) std::_Exit(1);
        notices->Drain();
        if (notices->Relevant()) std::_Exit(3);
        std::_Exit(poll(&waiting, 1, 0) == 0 ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace of our own here";
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: the mount woke nothing; 2: still readable after draining; 3: a tmpfs taken for a drive's";
}
