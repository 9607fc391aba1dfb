#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "DriveEnv.h"
#include "IsoImage.h"
#include "TempFolder.h"
#include "platform/FileData.h"
#include "platform/FolderVolume.h"
#include "platform/ImageVolume.h"
#include "platform/Volume.h"
#include "platform/VolumeLabel.h"

using platform::DirItem;
using platform::Volume;

namespace {

// name, folder, hidden, size: what a listing tells of an item, read-only and archive bits aside (a temporary
// folder is writable, a disc never is).
using Seen = std::tuple<std::string, bool, bool, std::uint64_t>;

std::vector<Seen> ListOf(const Volume& volume, const std::vector<std::string>& parts, bool* ok = nullptr) {
    std::vector<Seen> seen;
    const bool listed = volume.ListFolder(parts, [&](const DirItem& item) {
        seen.emplace_back(item.name, platform::IsFolder(item.attributes),
                          (item.attributes & platform::kAttrHidden) != 0, item.size);
    });
    if (ok) *ok = listed;
    return seen;
}

// Every folder of `volume` below `parts`, each listing sorted (the image keeps the library's order, the
// folder the file system's), as one flat list of (folder, item) pairs.
void Collect(const Volume& volume, std::vector<std::string>& parts,
             std::vector<std::pair<std::string, Seen>>& out) {
    std::string folder;
    for (const std::string& part : parts) folder += part + "/";
    std::vector<Seen> items = ListOf(volume, parts);
    std::sort(items.begin(), items.end());
    for (const Seen& item : items) {
        out.emplace_back(folder, item);
        const std::string& name = std::get<0>(item);
        if (!std::get<1>(item) || name == "." || name == "..") continue;
        parts.push_back(name);
        Collect(volume, parts, out);
        parts.pop_back();
    }
}

std::vector<std::pair<std::string, Seen>> Everything(const Volume& volume) {
    std::vector<std::string> parts;
    std::vector<std::pair<std::string, Seen>> out;
    Collect(volume, parts, out);
    return out;
}

std::shared_ptr<const platform::ImageVolume> Read(const std::string& image, std::string* problem = nullptr) {
    std::string why;
    auto volume = platform::ImageVolume::Read(image, why);
    if (problem) *problem = why;
    EXPECT_EQ(volume == nullptr, !why.empty()) << why;
    return volume;
}

const std::string kLongName =
    "A file name that is much longer than the sixty-four characters Joliet allows by the standard.txt";
const std::string kNonAscii = "\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris \xE2\x82\xAC.txt";

class ImageVolumeTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File("A.TXT", 1500);
        tree.File("DOCS/B.DOC", 20);
        tree.File("DOCS/Letters/deep/er/still.txt", 3);
        tree.File("DOCS/" + kLongName, 7);
        tree.File("Photos/" + kNonAscii, 11);
        tree.File("Photos/.hidden", 1);
        tree.Folder("Empty");
    }
    std::string Image(const std::string& name) const { return images.At(name); }

    TempFolder tree;
    TempFolder images;
};

}  // namespace

TEST_F(ImageVolumeTest, AnImageListsTheSameItemsAsTheTreeItWasMadeFrom) {
    tree.Link("A.TXT", "link-to-a");
    // A second name of one file (a hard link) shows the file's size under both names.
    ASSERT_EQ(link(tree.At("A.TXT").c_str(), tree.At("DOCS/second name of A.TXT").c_str()), 0);
    const platform::FolderVolume folder(tree.Root());
    const auto expected = Everything(folder);
    ASSERT_GT(expected.size(), 10u);
    const std::pair<iso::Names, const char*> cases[] = {
        {iso::Names::RockRidgeAndJoliet, "Rock Ridge and Joliet"}, {iso::Names::RockRidge, "Rock Ridge"}};
    for (const auto& [names, what] : cases) {
        ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso"), names)) << what;
        const auto image = Read(Image("disc.iso"));
        ASSERT_NE(image, nullptr) << what;
        EXPECT_EQ(Everything(*image), expected) << what;
    }
}

TEST_F(ImageVolumeTest, JolietAloneGivesTheLongAndNonAsciiNamesAsUtf8) {
    // Joliet has no symbolic links and no hidden files of its own; the rest is the same.
    ASSERT_TRUE(iso::Write(tree.Root(), Image("joliet.iso"), iso::Names::Joliet));
    const auto image = Read(Image("joliet.iso"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Everything(*image), Everything(platform::FolderVolume(tree.Root())));
}

TEST_F(ImageVolumeTest, DotsComeFirstBelowTheTopAndUnknownFoldersAreNotListed) {
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso")));
    const auto image = Read(Image("disc.iso"));
    ASSERT_NE(image, nullptr);
    const auto top = ListOf(*image, {});
    EXPECT_TRUE(std::none_of(top.begin(), top.end(), [](const Seen& s) { return std::get<0>(s)[0] == '.'; }));
    const auto docs = ListOf(*image, {"DOCS"});
    ASSERT_GE(docs.size(), 2u);
    EXPECT_EQ(docs[0], (Seen{".", true, false, 0}));
    EXPECT_EQ(docs[1], (Seen{"..", true, false, 0}));
    bool ok = true;
    EXPECT_TRUE(ListOf(*image, {"Empty"}, &ok).size() == 2 && ok);
    for (const std::vector<std::string>& missing :
         {std::vector<std::string>{"NOPE"}, {"A.TXT"}, {"docs"}, {"DOCS", "B.DOC"}}) {
        EXPECT_TRUE(ListOf(*image, missing, &ok).empty());
        EXPECT_FALSE(ok) << missing.back();
    }
    // Everything on a disc is read-only; files carry the archive bit as a mounted disc shows them.
    DirItem a;
    image->ListFolder({}, [&](const DirItem& item) {
        if (item.name == "A.TXT") a = item;
    });
    EXPECT_EQ(a.attributes, platform::kAttrReadOnly | platform::kAttrArchive);
    const auto all = Everything(platform::FolderVolume(tree.Root()));
    EXPECT_EQ(image->ItemCount(),
              static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [](const auto& item) {
                  return std::get<0>(item.second) != "." && std::get<0>(item.second) != "..";
              })));
}

TEST_F(ImageVolumeTest, AnEmptyImageIsADiscWithNothingOnIt) {
    TempFolder nothing;
    ASSERT_TRUE(iso::Write(nothing.Root(), Image("empty.iso")));
    const auto image = Read(Image("empty.iso"));
    ASSERT_NE(image, nullptr);
    bool ok = false;
    EXPECT_TRUE(ListOf(*image, {}, &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(image->ItemCount(), 0u);
}

TEST_F(ImageVolumeTest, FilesOfFourGibibytesAndMoreKeepTheirFullSize) {
    ASSERT_TRUE(iso::WriteHuge(images.At("scratch"), Image("huge.iso")));
    const auto image = Read(Image("huge.iso"));
    ASSERT_NE(image, nullptr);
    auto top = ListOf(*image, {});
    std::sort(top.begin(), top.end());
    EXPECT_EQ(
        top, (std::vector<Seen>{{"huge.bin", false, false, iso::kHugeSize}, {"small.txt", false, false, 5}}));
}

TEST_F(ImageVolumeTest, WhatIsNoReadableImageIsRefusedWithTheLibrarysReason) {
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso")));
    std::ofstream(Image("notes.txt")) << "These are notes, not a disc.\n";
    std::ofstream(Image("zero.iso"));
    iso::Truncated(Image("disc.iso"), Image("no-volume.iso"), 16 * 2048 + 100);
    iso::Truncated(Image("disc.iso"), Image("no-folders.iso"), 18 * 2048);
    const std::string cases[] = {"notes.txt", "zero.iso", "no-volume.iso", "no-folders.iso", "missing.iso"};
    for (const std::string& name : cases) {
        std::string problem;
        EXPECT_EQ(Read(Image(name), &problem), nullptr) << name;
        EXPECT_FALSE(problem.empty()) << name;
    }
}

TEST_F(ImageVolumeTest, ACancelledReadGivesNothingAndNoProblem) {
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso")));
    const std::atomic<bool> cancel{true};
    std::string problem = "stale";
    EXPECT_EQ(platform::ImageVolume::Read(Image("disc.iso"), problem, &cancel), nullptr);
    EXPECT_EQ(problem, "");
}

TEST_F(ImageVolumeTest, NoReadingLeavesTheFileOpen) {
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso")));
    std::ofstream(Image("notes.txt")) << "notes";
    ASSERT_EQ(mkfifo(Image("pipe.iso").c_str(), 0600), 0);
    const auto open = [] {
        const std::filesystem::directory_iterator fds("/proc/self/fd");
        return std::distance(begin(fds), end(fds));
    };
    const auto before = open();
    const std::atomic<bool> cancel{true};
    for (const std::string name : {"disc.iso", "notes.txt", "pipe.iso"}) {
        std::string problem;
        platform::ImageVolume::Read(Image(name), problem);
        platform::ImageVolume::Read(Image(name), problem, &cancel);
    }
    EXPECT_EQ(open(), before);
}

// The image's listings are built from the library's flat list of paths; the file system's own listing is
// the obvious way to the same answer. Many generated trees, one fixed seed.
TEST(ImageVolumeDifferential, GeneratedTreesListAsTheirFolders) {
    std::mt19937 random(14);
    const std::vector<std::string> names = {
        "a",    "B",  "c.txt", "D.DOC", "long name with blanks and more.txt", "\xC3\xA9t\xC3\xA9",
        ".dot", "x1", "x2",    "README"};
    for (int round = 0; round < 25; ++round) {
        TempFolder tree;
        TempFolder images;
        std::vector<std::string> folders = {""};
        const int items = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < items; ++i) {
            const std::string& parent = folders[random() % folders.size()];
            const std::string path = parent + names[random() % names.size()] + std::to_string(i);
            if (random() % 3 == 0) {
                tree.Folder(path);
                folders.push_back(path + "/");
            } else {
                tree.File(path, random() % 5000);
            }
        }
        ASSERT_TRUE(iso::Write(tree.Root(), images.At("g.iso"))) << round;
        std::string problem;
        const auto image = platform::ImageVolume::Read(images.At("g.iso"), problem);
        ASSERT_NE(image, nullptr) << problem;
        EXPECT_EQ(Everything(*image), Everything(platform::FolderVolume(tree.Root()))) << "round " << round;
    }
}

TEST_F(ImageVolumeTest, DrivesAndPathsOpenTheImageTheyName) {
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso"), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    const DriveEnv drives("E=" + Image("disc.iso") + ";F=" + tree.Root());
    struct Case {
        std::string text;
        bool image;
        std::vector<std::string> parts;
    };
    const Case cases[] = {{"E:\\", true, {}},
                          {"E:\\DOCS\\Letters\\..\\", true, {"DOCS"}},
                          {Image("disc.iso"), true, {}},
                          {"F:\\DOCS\\", false, {"DOCS"}},
                          {tree.Root(), false, {}}};
    for (const Case& c : cases) {
        const platform::VolumeFolder opened = platform::OpenVolume(c.text);
        ASSERT_TRUE(opened) << c.text << ": " << opened.problem;
        EXPECT_EQ(!opened.image.empty(), c.image) << c.text;
        EXPECT_EQ(opened.parts, c.parts) << c.text;
        EXPECT_FALSE(ListOf(*opened.volume, opened.parts).empty()) << c.text;
    }
    // Browsing reads the image once; a changed image is read again.
    EXPECT_EQ(platform::OpenVolume("E:\\").volume, platform::OpenVolume("E:\\DOCS\\").volume);
    const auto before = platform::OpenVolume("E:\\").volume;
    const TempFolder nothing;
    ASSERT_TRUE(iso::Write(nothing.Root(), Image("disc.iso")));
    const auto after = platform::OpenVolume("E:\\").volume;
    ASSERT_NE(after, nullptr);
    EXPECT_NE(after, before);
    EXPECT_TRUE(ListOf(*after, {}).empty());

    EXPECT_EQ(platform::VolumeLabel(Image("disc.iso")), "CDROM");
    ASSERT_TRUE(iso::Write(tree.Root(), Image("disc.iso"), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    EXPECT_EQ(platform::VolumeLabel("E:\\"), "HOLIDAY_2024");
    EXPECT_EQ(platform::VolumeLabel(Image("disc.iso")), "HOLIDAY_2024");
    EXPECT_EQ(platform::VolumeLabel("F:\\"), "");
    EXPECT_EQ(platform::VolumeLabel(tree.Root()), "");
    EXPECT_EQ(platform::VolumeLabel("G:\\"), "");
}

TEST(OpenVolumeTest, NothingReadableIsNamedWithAReason) {
    TempFolder tree;
    std::ofstream(tree.At("notes.txt")) << "notes";
    const DriveEnv drives("E=;F=" + tree.At("missing"));
    const std::pair<std::string, bool> cases[] = {{"E:\\", false},
                                                  {"F:\\", false},
                                                  {"G:\\", false},
                                                  {"not a drive", false},
                                                  {tree.At("missing"), false},
                                                  {tree.At("notes.txt"), true}};
    for (const auto& [text, image] : cases) {
        const platform::VolumeFolder opened = platform::OpenVolume(text);
        EXPECT_FALSE(opened) << text;
        EXPECT_FALSE(opened.problem.empty()) << text;
        EXPECT_EQ(!opened.image.empty(), image) << text;
    }
}

TEST(OpenVolumeTest, AKeptImageIsReadAgainOnceItChangesInAnyWay) {
    TempFolder images;
    const std::string image = images.At("disc.iso");
    const auto write = [&](const std::string& name, std::size_t bytes) {
        TempFolder tree;
        if (!name.empty()) tree.File(name, bytes);
        EXPECT_TRUE(iso::Write(tree.Root(), image));
    };
    const auto names = [&] {
        std::vector<std::string> seen;
        const platform::VolumeFolder opened = platform::OpenVolume(image);
        EXPECT_TRUE(opened) << opened.problem;
        if (opened) opened.volume->ListFolder({}, [&](const DirItem& item) { seen.push_back(item.name); });
        return seen;
    };
    write("ONE.TXT", 10);
    ASSERT_EQ(names(), std::vector<std::string>{"ONE.TXT"});
    const struct {
        const char* why;
        std::string name;
        std::size_t bytes;
        bool oldTime;  // the modification time set back to what it was
    } changes[] = {
        {"the same size and a new time", "TWO.TXT", 10, false},
        {"the same size and the old modification time", "SIX.TXT", 10, true},
        {"another size", "", 0, false},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.why);
        struct stat before {};
        ASSERT_EQ(stat(image.c_str(), &before), 0);
        // Past the clock's step, so that a rewrite cannot fall in the tick of the last one.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        write(change.name, change.bytes);
        struct stat after {};
        ASSERT_EQ(stat(image.c_str(), &after), 0);
        EXPECT_EQ(after.st_size == before.st_size, !change.name.empty());
        if (change.oldTime) {
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, image.c_str(), times, 0), 0);
        }
        EXPECT_EQ(names(), change.name.empty() ? std::vector<std::string>{} : std::vector{change.name});
    }
}

TEST(OpenVolumeTest, WhatIsNoFileIsRefusedAtOnceNamingWhatItIs) {
    TempFolder folder;
    ASSERT_EQ(mkfifo(folder.At("pipe.iso").c_str(), 0600), 0);
    const std::pair<std::string, std::string> cases[] = {
        {folder.At("pipe.iso"), "a named pipe, not a regular file"},
        {"/dev/null", "a character device, not a regular file"},
    };
    for (const auto& [path, problem] : cases) {
        const platform::VolumeFolder opened = platform::OpenVolume(path);
        EXPECT_FALSE(opened) << path;
        EXPECT_EQ(opened.image, path);
        EXPECT_EQ(opened.problem, problem);
        // Read directly, as when the file was swapped after it was looked at, it is refused all the same.
        std::string why;
        EXPECT_EQ(platform::ImageVolume::Read(path, why), nullptr);
        EXPECT_EQ(why, "not a regular file") << path;
    }
}

// Reading ahead on a thread must hand out exactly the file's bytes from where it starts, in order, with the
// mends applied, whatever the file's size is against the block size, and whether the reading thread is ahead
// (a slow user) or behind (a slow reader: the user reads blocks in memory too); the slow twin is reading it
// whole.
TEST(ReadAheadTest, HandsOutTheFilesBytesAsAPlainReadGivesThem) {
    constexpr std::size_t kBlock = platform::ReadAhead::kBlockBytes;
    std::mt19937 random(20261207);
    const std::string path = ::testing::TempDir() + "read_ahead.bin";
    const std::pair<std::size_t, bool> cases[] = {
        {0, false},          {1, false},           {kBlock - 1, false},
        {kBlock, true},      {kBlock + 1, false},  {5 * kBlock + 7, true},
        {9 * kBlock, false}, {37 * kBlock, false}, {37 * kBlock + 11, true}};
    for (const auto& [size, slow] : cases) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<long>(size));
        const std::uint64_t start = size / 3;
        // Every 1000th byte from the start of the file is mended to 'M'.
        std::string expected = bytes.substr(start);
        for (std::size_t at = (start + 999) / 1000 * 1000; at < size; at += 1000) expected[at - start] = 'M';

        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        std::string got;
        const std::thread::id user = std::this_thread::get_id();
        std::atomic<int> readByUser{0};
        {
            platform::ReadAhead ahead(
                fd, start, [&, slow = slow](char* block, std::uint64_t position, std::size_t n) {
                    for (std::uint64_t at = (position + 999) / 1000 * 1000; at < position + n; at += 1000)
                        block[at - position] = 'M';
                    if (std::this_thread::get_id() == user)
                        ++readByUser;
                    else if (!slow)
                        std::this_thread::sleep_for(std::chrono::microseconds(300));
                });
            for (platform::ReadAhead::Block block = ahead.Next(); block.size > 0; block = ahead.Next()) {
                EXPECT_EQ(block.error, 0);
                got.append(block.data, block.size);
                if (slow) std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            EXPECT_EQ(ahead.Next().size, 0u) << "the end is told again, never a block past it";
        }
        ::close(fd);
        EXPECT_EQ(got, expected) << "a file of " << size << " bytes from " << start;
        if (!slow && size - start > 3 * kBlock) {
            EXPECT_GT(readByUser, 0) << "a file of " << size << " bytes";
        }
    }
    // A descriptor that cannot be read tells the system's reason at once.
    platform::ReadAhead broken(-1, 0);
    EXPECT_EQ(broken.Next().error, EBADF);
}
