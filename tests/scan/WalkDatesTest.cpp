#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
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
#include "catalogue/Disc.h"
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
    const Times expected = MakeDatedTree(tree);
    EXPECT_EQ(WalkedTimes(tree.Root()), expected);
    for (const iso::Names names :
         {iso::Names::RockRidgeAndJoliet, iso::Names::RockRidge, iso::Names::Joliet}) {
        const std::string image = images.At("dated" + std::to_string(static_cast<int>(names)) + ".iso");
        ASSERT_TRUE(iso::Write(tree.Root(), image, names));
        EXPECT_EQ(WalkedTimes(image), expected) << static_cast<int>(names);
    }
}

TEST(WalkDatesTest, ASymbolicLinkHasItsOwnTime) {
    TempFolder tree;
    tree.File("target.txt", 5);
    tree.Link("target.txt", "link");
    SetTime(tree.At("target.txt"), 1'600'000'000);
    SetTime(tree.At("link"), 1'500'000'000);
    const Times times = WalkedTimes(tree.Root());
    EXPECT_EQ(times.at("\\link"), 1'500'000'000);
    EXPECT_EQ(times.at("\\target.txt"), 1'600'000'000);
}

namespace {

class DiscRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File("A.TXT", 1500);
        tree.File("DOCS/B.DOC", 20);
        SetTime(tree.At("A.TXT"), 1'561'939'200);
        ASSERT_TRUE(iso::Write(tree.Root(), Image(), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    }
    std::string Image() const { return images.At("holiday.iso"); }
    // The size the image gives itself in its primary volume descriptor.
    std::int64_t ImageVolumeSize() const {
        std::ifstream in(Image(), std::ios::binary);
        const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
        return std::int64_t{iso::Get32(bytes, 16 * 2048 + 80)} * 2048;
    }
    static std::int64_t Now() {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }

    TempFolder tree;
    TempFolder images;
    CKavrelDoc doc;
    ScriptedMessages messages;
};

}  // namespace

TEST_F(DiscRecordTest, ACataloguedDiscKeepsWhatWasReadOfItUnderItsFirstRow) {
    const DriveEnv drives("E=" + tree.Root() + ";F=" + Image());
    struct Case {
        std::string drive;
        std::string source;
        bool image;
    };
    const std::vector<Case> cases = {{Image(), Image(), true},
                                     {"F:\\", "F:\\", true},
                                     {tree.Root(), tree.Root(), false},
                                     {"E:", "E:", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drive);
        const std::size_t first = doc.GetEntryCount();
        const std::int64_t before = Now();
        ASSERT_EQ(scan::RunCreateImage(doc, messages, "Disc " + c.drive, c.drive), scan::Outcome::Done);
        const catalogue::DiscRecord* record = doc.DiscRecords().Find(first);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->source, c.source);
        EXPECT_GE(record->catalogued, before);
        EXPECT_LE(record->catalogued, Now());
        EXPECT_TRUE(record->location.empty() && record->notes.empty());
        if (c.image) {
            EXPECT_EQ(record->volumeLabel, "HOLIDAY_2024");
            EXPECT_EQ(record->fileSystem, "iso9660");
            EXPECT_FALSE(record->serial.empty());
            EXPECT_EQ(record->device, "");
            EXPECT_EQ(record->capacity, ImageVolumeSize());
            EXPECT_EQ(record->freeBytes, catalogue::DiscRecord::kUnknown);
        } else {
            // A plain folder carries no label; its file system is the one it lies on.
            EXPECT_EQ(record->volumeLabel, "");
            EXPECT_FALSE(record->fileSystem.empty());
            EXPECT_GT(record->capacity, 0);
            EXPECT_GE(record->freeBytes, 0);
        }
    }
    EXPECT_EQ(doc.DiscRecords().Size(), cases.size());
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
    EXPECT_FALSE(scan::WalkImages(jobs, &cancel, [&](std::size_t job, std::size_t) {
        if (job == 1) cancel = true;
    }));
    scan::AddImageDiscs(doc, jobs);
    ASSERT_EQ(doc.DiscRecords().Size(), 1u);
    EXPECT_EQ(doc.DiscRecords().All().begin()->first, 0u);
    EXPECT_EQ(doc.DiscRecords().All().begin()->second.source, Image());
}

TEST_F(DiscRecordTest, DatesAndRecordsSurviveASaveAndAnOpen) {
    ASSERT_EQ(scan::RunCreateImage(doc, messages, "Folder", tree.Root()), scan::Outcome::Done);
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(doc.Entries(), {Image()});
    ASSERT_TRUE(scan::WalkImages(jobs, nullptr));
    scan::AddImageDiscs(doc, jobs);
    const std::string file = images.At("discs.cdi");
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(file, error)) << error;

    CKavrelDoc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(file, error)) << error;
    EXPECT_EQ(reopened.OpenWarning(), "");
    ASSERT_EQ(reopened.GetEntryCount(), doc.GetEntryCount());
    std::size_t known = 0;
    for (std::size_t i = 0; i < doc.GetEntryCount(); ++i) {
        EXPECT_EQ(reopened.Entries().Modified(i), doc.Entries().Modified(i)) << i;
        if (doc.Entries().Name(i) == "A.TXT") {
            EXPECT_EQ(doc.Entries().Modified(i), 1'561'939'200);
            ++known;
        }
    }
    EXPECT_EQ(known, 2u);
    EXPECT_EQ(reopened.DiscRecords().All(), doc.DiscRecords().All());
    for (const catalogue::Disc& disc : catalogue::DiscNodes(reopened.Entries()))
        EXPECT_NE(reopened.RecordOf(disc), nullptr);
}
