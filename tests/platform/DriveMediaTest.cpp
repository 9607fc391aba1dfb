#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/DriveMedia.h"

using platform::DiscNames;
using platform::DiscToc;
using platform::DriveMedium;
using platform::OpticalDrive;
using namespace std::chrono_literals;

namespace {

// As if written a while ago: a path changed just now may still be being copied in.
void Settle(const std::string& path, std::chrono::seconds ago = 1s) {
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - ago);
}

// Bytes enough to reach past the volume descriptors, where images of one size differ.
void WriteImage(const std::string& path, char fill) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(40'000, fill);
}

void WriteSettledImage(const std::string& path, char fill) {
    WriteImage(path, fill);
    Settle(path);
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
        {"an image appears", [&] { WriteSettledImage(image, 'a'); }, &image, true, true},
        {"nothing changed", [] {}, &image, true, false},
        {"another image of one size copied over it", [&] { WriteSettledImage(image, 'b'); }, &image, true,
         true},
        {"another renamed over it",
         [&] {
             WriteSettledImage(aside, 'c');
             std::filesystem::rename(aside, image);
         },
         &image, true, true},
        {"the image is taken away", [&] { std::filesystem::remove(image); }, &image, false, false},
        {"a folder appears",
         [&] {
             temp.Folder("drive");
             Settle(folder);
         },
         &folder, true, true},
        {"nothing changed", [] {}, &folder, true, false},
        {"a file saved in it", [&] { temp.File("drive/watch.cdi", 10); }, &folder, true, false},
        {"another renamed over it",
         [&] {
             temp.Folder("aside/docs");
             Settle(aside);
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
        // Nobody mounted it: the drive's own request, refused at once by what is no drive.
        EXPECT_EQ(platform::EjectDisc(DriveMedium{"D:\\", device, {}, {}, {}, true}),
                  std::strerror(device == "/dev/sr99" ? ENOENT : ENOTTY));
    }
}

// A copy under way must not be taken for a disc: the watch would catalogue half an image.
TEST(MappedDriveTest, AnImageIsADiscOnceItHasBeenStillForAMoment) {
    TempFolder temp;
    const std::string image = temp.At("drive.iso");
    const std::string aside = temp.At("aside.iso");
    struct Case {
        const char* what;
        std::optional<std::chrono::seconds> age;  // none: as written
        bool atOnce;
    };
    const Case cases[] = {
        {"written just now", std::nullopt, false},
        {"written earlier", 1s, true},
        {"dated far ahead of the clock", -1h, true},
    };
    const DriveEnv env("E=" + image);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto made = std::chrono::steady_clock::now();
        WriteImage(aside, 'a');
        if (c.age) Settle(aside, *c.age);
        // Renamed into place, as a finished copy arrives; the change time that a rename sets must not count.
        std::filesystem::rename(aside, image);
        const DriveMedium first = platform::LookAtDrive(platform::OpticalDrives().at(0));
        EXPECT_EQ(first.problem, "");
        // A test held up longer than the moment cannot see the copy under way.
        if (c.atOnce || std::chrono::steady_clock::now() - made < 250ms) {
            EXPECT_EQ(first.HasDisc(), c.atOnce);
            EXPECT_EQ(first.identity.empty(), !c.atOnce);
        }
        if (!c.atOnce) std::this_thread::sleep_until(made + 400ms);
        const DriveMedium later = platform::LookAtDrive(platform::OpticalDrives().at(0));
        EXPECT_EQ(later.source, image);
        EXPECT_NE(later.identity, "");
        std::filesystem::remove(image);
    }
}

// What the drive reports makes the look; the disc itself is read only when it is new to the drive. (Discs
// going in and out, and mounts, are the slow twin's below.)
TEST(DeviceTest, ADiscIsToldByItsTableOfContentsAndReadOnlyWhenNew) {
    const DiscToc data{1, 1, true, 300'000, 0};
    const DiscToc sessions{1, 2, true, 280'000, 200'000};
    const char* const several = "a disc of several sessions can only be read once it is mounted";
    struct Step {
        const char* what;
        const char* device;
        std::optional<DiscToc> toc;
        const char* mountPoint;
        DiscNames names;  // what reading the disc would find now
        bool read;
        int disc;  // steps of one disc show one identity; -1: no disc
        const char* source;
        const char* problem;
    };
    const Step steps[] = {
        {"spinning up", "/dev/sr0", std::nullopt, "", {"u1", "A"}, false, -1, "", ""},
        {"a disc", "/dev/sr0", data, "", {"u1", "A"}, true, 1, "/dev/sr0", ""},
        {"a read error hides its names", "/dev/sr0", data, "", {}, false, 1, "/dev/sr0", ""},
        {"the same disc in another drive", "/dev/sr1", data, "", {"u1", "A"}, true, 1, "/dev/sr1", ""},
        {"swapped unseen",
         "/dev/sr0",
         DiscToc{1, 1, true, 250'000, 0},
         "",
         {"u2", "B"},
         true,
         2,
         "/dev/sr0",
         ""},
        {"music",
         "/dev/sr0",
         DiscToc{1, 12, false, 200'000, 0},
         "",
         {"u3", "C"},
         false,
         3,
         "",
         "a disc of music holds no files to read"},
        {"music, then data",
         "/dev/sr0",
         DiscToc{1, 13, false, 280'000, 250'000},
         "",
         {},
         false,
         4,
         "",
         several},
        {"several sessions", "/dev/sr0", sessions, "", {"u5", "E"}, true, 5, "", several},
        {"several sessions, mounted", "/dev/sr0", sessions, "/media/E", {}, false, 5, "/media/E", ""},
    };
    std::map<int, std::string> identities;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        bool read = false;
        const DriveMedium medium =
            platform::MediumOfToc(OpticalDrive{"D:\\", step.mountPoint, step.device}, step.toc, [&] {
                read = true;
                return step.names;
            });
        EXPECT_EQ(read, step.read);
        EXPECT_EQ(medium.source, step.source);
        EXPECT_EQ(medium.problem, step.problem);
        EXPECT_EQ(medium.mounted, *step.mountPoint != 0);
        EXPECT_EQ(medium.identity.empty(), step.disc < 0);
        if (step.disc < 0) continue;
        identities.emplace(step.disc, medium.identity);
        for (const auto& [disc, identity] : identities)
            EXPECT_EQ(disc == step.disc, identity == medium.identity) << disc;
    }
}

// Slow twin: every look at drives that discs go in and out of equals a look that reads the disc anew, and a
// disc that starts with data is read once each time it is put in.
TEST(DeviceTest, LooksThatKeepWhatWasReadEqualLooksThatReadAgain) {
    struct Disc {
        DiscToc toc;
        DiscNames names;
    };
    const Disc discs[] = {
        {{1, 1, true, 1000, 0}, {"u1", "A"}},    {{1, 1, true, 1000, 0}, {"u2", "B"}},
        {{1, 1, true, 2000, 0}, {"", ""}},       {{1, 9, false, 3000, 0}, {}},
        {{1, 3, true, 4000, 3500}, {"u5", "E"}},
    };
    std::mt19937 random(24);
    std::map<std::string, const Disc*> held;  // by device
    int putIn = 0;
    int reads = 0;
    for (int look = 0; look < 5000; ++look) {
        const std::string device = "/dev/sr-twin" + std::to_string(random() % 3);
        const Disc*& disc = held[device];
        if (random() % 4 == 0) {
            disc = disc ? nullptr : &discs[random() % std::size(discs)];
            if (disc && disc->toc.dataFirst) ++putIn;
        }
        const std::optional<DiscToc> toc = disc ? std::optional(disc->toc) : std::nullopt;
        const std::string mountPoint = random() % 2 ? "" : "/media/disc";
        const DriveMedium kept = platform::MediumOfToc(OpticalDrive{"D:\\", mountPoint, device}, toc, [&] {
            ++reads;
            return disc->names;
        });
        const std::string anew = "/dev/sr-anew" + std::to_string(look);
        const DriveMedium read =
            platform::MediumOfToc(OpticalDrive{"D:\\", mountPoint, anew}, toc, [&] { return disc->names; });
        platform::MediumOfToc(OpticalDrive{"D:\\", {}, anew}, std::nullopt, {});
        ASSERT_EQ(kept.identity, read.identity) << look;
        ASSERT_EQ(kept.problem, read.problem) << look;
        ASSERT_EQ(kept.HasDisc(), read.HasDisc()) << look;
    }
    EXPECT_EQ(reads, putIn);
}

// Whether the disc must be let go of by the desktop first is decided by the mount table at eject time.
TEST(DeviceTest, WhetherADeviceIsMountedIsReadFromTheMountTable) {
    TempFolder temp;
    const std::string device = temp.At("sr0");
    if (mknod(device.c_str(), S_IFBLK | 0600, makedev(11, 0)) != 0)
        GTEST_SKIP() << "no device node can be made here: " << std::strerror(errno);
    temp.File("plain");
    std::ofstream(temp.At("mounted")) << "36 25 11:0 / /media/disc ro - iso9660 /dev/sr0 ro\n";
    std::ofstream(temp.At("other")) << "36 25 11:1 / /media/disc ro - iso9660 /dev/sr1 ro\n"
                                    << "37 25 1:3 / /media/null ro - iso9660 /dev/null ro\n";
    EXPECT_TRUE(platform::DeviceMounted(device, temp.At("mounted")));
    for (const auto& [what, table] : {std::pair{device, "other"},
                                      {device, "missing"},
                                      {"/dev/null", "other"},
                                      {temp.At("plain"), "mounted"}})
        EXPECT_FALSE(platform::DeviceMounted(what, temp.At(table))) << what << " " << table;
}

// A device the user may not open: its disc is still read through the desktop's mount, and refused without
// one. Root opens anything, so root looks as nobody, in a child.
TEST(DeviceTest, ADeviceThatMayNotBeOpenedIsReadThroughItsMountOrRefused) {
    if (geteuid() == 0) {
        // Root without the right to change its user (in a user namespace, without CAP_SETUID) cannot look
        // as nobody.
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) std::_Exit(seteuid(65534) == 0 ? 0 : 1);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) GTEST_SKIP() << "root cannot become nobody here";
    }
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
// descriptor, and draining makes it wait again: were it left readable, a watcher would spin. A mount of no
// optical drive is no reason to look at the drives.
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
