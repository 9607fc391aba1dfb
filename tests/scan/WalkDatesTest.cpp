#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "IsoImage.h"
#include "ScriptedMessages.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"
#include "scan/ImageBatch.h"

namespace {

using Times = std::map<std::string, std::int64_t>;  // "\DOCS\A.TXT" (as the walk records it) to its time

// Sets the modification time of `path` itself (a link's own), to the second.
void SetTime(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// A tree of generated folders and files with generated times from 1980 to 2100, from a fixed seed. The times
// are set once everything is made, since making an item changes its folder's time.
Times MakeDatedTree(const TempFolder& tree) {
    std::mt19937 random(22);
    std::vector<std::string> folders = {""};
    std::vector<std::string> made;
    for (int i = 0; i < 200; ++i) {
        const std::string& in = folders[random() % folders.size()];
        const bool folder = random() % 4 == 0 && in.size() < 20;
        const std::string relative =
            (in.empty() ? "" : in + "/") + (folder ? "D" : "F") + std::to_string(i) + (folder ? "" : ".TXT");
        if (folder) {
            tree.Folder(relative);
            folders.push_back(relative);
        } else {
            tree.File(relative, random() % 3000);
        }
        made.push_back(relative);
    }
    // A symbolic link has a time of its own.
    tree.Link("F0.TXT", "LINK");
    made.push_back("LINK");
    Times times;
    std::uniform_int_distribution<std::int64_t> when(315532800, 4102444800);
    for (const std::string& relative : made) {
        const std::int64_t time = when(random);
        SetTime(tree.At(relative), time);
        std::string walked = "\\" + relative;
        for (char& c : walked) c = c == '/' ? '\\' : c;
        times[walked] = time;
    }
    return times;
}

Times WalkedTimes(const std::string& drive) {
    scan::DiscWalker walker("Dated");
    EntryStore out;
    EXPECT_TRUE(walker.Walk(drive, out));
    EXPECT_TRUE(walker.Refusal().empty()) << walker.Refusal();
    Times times;
    for (std::size_t i = 0; i < out.Size(); ++i)
        times[std::string(out.Path(i)) + std::string(out.Name(i))] = out.Modified(i);
    return times;
}

}  // namespace

// The folder walk and the images of the same tree, whatever names they carry, record the times the tree
// was given, to the second.
TEST(WalkDatesTest, AFolderAndItsImagesGiveTheTimesTheTreeWasGiven) {
    TempFolder tree;
    TempFolder images;
    Times expected = MakeDatedTree(tree);
    EXPECT_EQ(WalkedTimes(tree.Root()), expected);
    // Joliet names alone carry no symbolic link (the top folder's own time is not recorded).
    ASSERT_EQ(unlink(tree.At("LINK").c_str()), 0);
    expected.erase("\\LINK");
    for (const iso::Names names :
         {iso::Names::RockRidgeAndJoliet, iso::Names::RockRidge, iso::Names::Joliet}) {
        const std::string image = images.At("dated" + std::to_string(static_cast<int>(names)) + ".iso");
        ASSERT_TRUE(iso::Write(tree.Root(), image, names));
        EXPECT_EQ(WalkedTimes(image), expected) << static_cast<int>(names);
    }
}

namespace {

class DiscRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File("DOCS/B.DOC", 20);
        ASSERT_TRUE(iso::Write(tree.Root(), Image(), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    }
    std::string Image() const { return images.At("holiday.iso"); }

    TempFolder tree;
    TempFolder images;
    CKavrelDoc doc;
    ScriptedMessages messages;
};

}  // namespace

TEST_F(DiscRecordTest, ACataloguedDiscKeepsWhatWasReadOfItUnderItsFirstRow) {
    const DriveEnv drives("E=" + tree.Root() + ";F=" + Image());
    std::ifstream in(Image(), std::ios::binary);
    const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
    const std::int64_t imageSize = std::int64_t{iso::Get32(bytes, 16 * 2048 + 80)} * 2048;
    for (const std::string& drive : {Image(), std::string("F:\\"), tree.Root(), std::string("E:")}) {
        SCOPED_TRACE(drive);
        const bool image = drive == Image() || drive == "F:\\";
        const std::size_t first = doc.GetEntryCount();
        const std::int64_t before = std::time(nullptr);
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "Disc " + drive, drive), scan::Outcome::Done);
        const catalogue::DiscRecord* record = doc.DiscRecords().Find(first);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->source, drive);
        EXPECT_TRUE(record->catalogued >= before && record->catalogued <= std::time(nullptr));
        // A plain folder carries no label, and lies on a file system with room left on it.
        EXPECT_EQ(record->volumeLabel, image ? "HOLIDAY_2024" : "");
        EXPECT_EQ(record->fileSystem == "iso9660", image);
        EXPECT_FALSE(record->fileSystem.empty());
        EXPECT_EQ(record->serial.empty(), !image);
        EXPECT_EQ(record->capacity, image ? imageSize : record->capacity);
        EXPECT_GT(record->capacity, 0);
        EXPECT_EQ(record->freeBytes >= 0, !image);
    }
    EXPECT_EQ(doc.DiscRecords().Size(), 4u);
}

TEST_F(DiscRecordTest, AnEmptyDriveOrACancelledWalkStoresNoRecord) {
    const DriveEnv drives("E=;F=" + Image());
    ASSERT_EQ(scan::RunCreateImage(doc, messages, "Nothing", "E:\\"), scan::Outcome::Done);
    EXPECT_TRUE(doc.DiscRecords().Empty());

    std::atomic<bool> cancel{true};
    scan::DiscWalker walker("Stopped");
    walker.SetCancelFlag(&cancel);
    EntryStore out;
    EXPECT_FALSE(walker.Walk("F:\\", out));
    EXPECT_TRUE(walker.Record().Empty());

    // A batch cancelled during its second image keeps the first image's disc and record only.
    cancel = false;
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(doc.Entries(), {Image(), Image()});
    EXPECT_FALSE(scan::WalkImages(jobs, &cancel, [&](std::size_t job, std::size_t) { cancel = job == 1; }));
    scan::AddImageDiscs(doc, jobs);
    ASSERT_EQ(doc.DiscRecords().Size(), 1u);
    EXPECT_EQ(doc.DiscRecords().All().begin()->first, 0u);
    EXPECT_EQ(doc.DiscRecords().All().begin()->second.source, Image());
}
