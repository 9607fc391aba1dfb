#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "DriveEnv.h"
#include "IsoImage.h"
#include "RecordingView.h"
#include "ScriptedMessages.h"
#include "StoreRows.h"
#include "TempFolder.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Hints.h"
#include "scan/CreateImageCommand.h"
#include "scan/DiscWalker.h"
#include "scan/ImageBatch.h"
#include "scan/LiveListing.h"

namespace {

std::vector<Row> Walked(const std::string& drive, std::string* refusal = nullptr) {
    scan::DiscWalker walker("Backup");
    EntryStore out;
    EXPECT_TRUE(walker.Walk(drive, out));
    if (refusal) *refusal = walker.Refusal();
    // A folder's entry comes before everything inside it, whatever the order of each folder.
    for (std::size_t i = 0; i < out.Size(); ++i) {
        if (out.Kind(i) != "folder ") continue;
        const std::string inside = std::string(out.Path(i)) + std::string(out.Name(i)) + "\\";
        for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(out.Path(j).starts_with(inside)) << inside;
    }
    auto rows = Rows(out);
    std::sort(rows.begin(), rows.end());
    return rows;
}

class ImageScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.File("A.TXT", 1500);
        tree.File("DOCS/B.DOC", 20);
        tree.File("DOCS/Letters/Annual report of the year with a long name.txt", 4321);
        tree.File("Photos/\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris.jpg", 77);
        tree.Folder("Empty");
        ASSERT_TRUE(iso::Write(tree.Root(), Image(), iso::Names::RockRidgeAndJoliet, "HOLIDAY_2024"));
    }
    std::string Image() const { return images.At("holiday.iso"); }

    TempFolder tree;
    TempFolder images;
};

}  // namespace

TEST_F(ImageScanTest, AnImageWalksToTheSameEntriesAsItsTreeByDriveOrPath) {
    const DriveEnv drives("E=" + tree.Root() + ";F=" + Image());
    const auto expected = Walked("E:\\");
    ASSERT_EQ(expected.size(), 8u);
    EXPECT_EQ(Walked("F:\\"), expected);
    EXPECT_EQ(Walked(Image()), expected);
    EXPECT_EQ(Walked("F:\\DOCS\\"), Walked("E:\\DOCS\\"));
    EXPECT_NE(std::find(expected.begin(), expected.end(),
                        Row{"Backup", "Annual report of the year with a long name.txt", "file ",
                            "\\DOCS\\Letters\\", "4,321"}),
              expected.end());
}

TEST_F(ImageScanTest, AnUnreadableImageIsRefusedAndADriveWithNothingInItIsNot) {
    std::ofstream(images.At("notes.iso")) << "not a disc";
    const DriveEnv drives("E=;F=" + images.At("notes.iso"));
    std::string refusal;
    EXPECT_TRUE(Walked("F:\\", &refusal).empty());
    EXPECT_EQ(refusal, "Unrecognized archive format");
    EXPECT_TRUE(Walked(images.At("notes.iso"), &refusal).empty());
    EXPECT_FALSE(refusal.empty());
    EXPECT_TRUE(Walked("E:\\", &refusal).empty());
    EXPECT_EQ(refusal, "");
    // A path is no drive: naming nothing, it is refused with the system's reason.
    EXPECT_TRUE(Walked(images.At("nope/missing.iso"), &refusal).empty());
    EXPECT_EQ(refusal, "No such file or directory");

    // The create-image command refuses the image by name, and nothing is added or announced.
    CKavrelDoc doc;
    ScriptedMessages messages;
    RecordingView views(doc);
    EXPECT_EQ(scan::RunCreateImage(doc, messages, "CD", "F:\\"), scan::Outcome::Refused);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot read the disc image \"" + images.At("notes.iso") +
                                       "\": Unrecognized archive format"});
    EXPECT_EQ(scan::RunCreateImage(doc, messages, "CD", images.At("nope")), scan::Outcome::Refused);
    EXPECT_EQ(messages.Texts().back(),
              "Cannot read \"" + images.At("nope") + "\": No such file or directory");
    EXPECT_EQ(doc.GetEntryCount(), 0u);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(views.heard.empty());
}

TEST_F(ImageScanTest, TheDriveNodeOfAnImageListsItLiveFolderByFolder) {
    const DriveEnv drives("E=" + tree.Root() + ";F=" + Image());
    const auto live = [](const std::string& folder) {
        std::vector<std::string> rows;
        const bool ok = scan::ListLiveRows(folder, [&](scan::LiveRow row) {
            rows.push_back(row.name + "|" + row.kind + "|" + row.size + "|" + row.flag);
        });
        std::sort(rows.begin(), rows.end());
        return ok ? rows : std::vector<std::string>{"<none>"};
    };
    for (const std::string folder :
         {"\\", "\\DOCS\\", "\\DOCS\\Letters\\", "\\DOCS\\Letters\\..\\", "\\Empty\\"})
        EXPECT_EQ(live("F:" + folder), live("E:" + folder)) << folder;
    EXPECT_EQ(live("F:\\NOPE\\"), std::vector<std::string>{"<none>"});

    CKavrelDoc doc;
    RecordingView views(doc);
    scan::BroadcastDriveListing(doc, "F:\\");
    EXPECT_EQ(views.heard.size(), 1u + 4u);
}

TEST_F(ImageScanTest, ImagesAreLabelledByTheirVolumeElseByTheirFileName) {
    ASSERT_TRUE(iso::Write(tree.Root(), images.At("no label.iso"), iso::Names::RockRidge));
    iso::ClearVolumeLabel(images.At("no label.iso"));
    EXPECT_EQ(scan::DefaultImageLabel(Image()), "HOLIDAY_2024");
    EXPECT_EQ(scan::DefaultImageLabel(images.At("no label.iso")), "no label");
    EXPECT_EQ(scan::DefaultImageLabel("/nowhere/Backup 2019.disc.iso"), "Backup 2019.disc");
}

TEST_F(ImageScanTest, ABatchAddsOneDiscPerReadableImageAndSaysWhyTheOthersWereNot) {
    TempFolder other;
    other.File("SONGS/one.mp3", 3000);
    ASSERT_TRUE(iso::Write(other.Root(), images.At("music.iso"), iso::Names::Joliet, "MUSIC"));
    std::ofstream(images.At("notes.iso")) << "not a disc";
    iso::Truncated(Image(), images.At("cut.iso"), 16 * 2048 + 100);

    std::vector<scan::ImageJob> jobs = scan::ImageJobs(
        EntryStore{},
        {Image(), images.At("notes.iso"), images.At("music.iso"), tree.Root(), images.At("cut.iso")});
    jobs[2].label = "Music, relabelled";
    std::vector<std::size_t> told;
    EXPECT_TRUE(scan::WalkImages(jobs, nullptr, [&](std::size_t job, std::size_t) { told.push_back(job); }));
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), 4u);

    CKavrelDoc doc;
    RecordingView views(doc);
    const scan::ImageBatchResult result = scan::AddImageDiscs(doc, jobs);
    EXPECT_EQ(result.discs, 2u);
    EXPECT_EQ(result.entries, 10u);
    EXPECT_EQ(doc.GetEntryCount(), 10u);
    EXPECT_EQ(doc.GetEntryAt(0).GetLabel(), "HOLIDAY_2024");
    EXPECT_EQ(doc.GetEntryAt(8).GetLabel(), "Music, relabelled");
    EXPECT_EQ(views.Hints(), (std::vector<int>{hint::kDiscAdded, hint::kDiscAdded}));
    EXPECT_EQ(doc.m_strLastLabel, "Music, relabelled");
    EXPECT_EQ(scan::ImageBatchSummary(jobs, result),
              "Disc images catalogued: 2 discs with 10 entries added.\n\nNot catalogued:\n" +
                  images.At("notes.iso") + ": Unrecognized archive format\n" + tree.Root() +
                  ": not a disc image file\n" + images.At("cut.iso") + ": Unrecognized archive format");
}

TEST_F(ImageScanTest, ACancelledBatchKeepsTheDiscsReadAndNothingOfTheOneUnderWay) {
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(EntryStore{}, {Image(), Image(), Image()});
    std::atomic<bool> cancel{false};
    EXPECT_FALSE(scan::WalkImages(jobs, &cancel, [&](std::size_t job, std::size_t entries) {
        if (job == 1 && entries > 0) cancel = true;
    }));
    EXPECT_TRUE(jobs[0].walked);
    EXPECT_FALSE(jobs[1].walked);
    EXPECT_EQ(jobs[1].entries.Size(), 0u);
    EXPECT_FALSE(jobs[2].walked);
    CKavrelDoc doc;
    scan::ImageBatchResult result = scan::AddImageDiscs(doc, jobs);
    result.cancelled = true;
    EXPECT_EQ(doc.GetEntryCount(), 8u);
    EXPECT_EQ(
        scan::ImageBatchSummary(jobs, result),
        "Disc images catalogued: 1 disc with 8 entries added.\n\nCancelled: 2 images were not catalogued.");
}

// Cancel pressed as the last image ends: every image is in, and none is said to be left.
TEST_F(ImageScanTest, ACancelThatCameAsTheLastImageEndedLeavesNoImageOut) {
    std::vector<scan::ImageJob> jobs = scan::ImageJobs(EntryStore{}, {Image(), Image()});
    std::atomic<bool> cancel{false};
    EXPECT_TRUE(scan::WalkImages(jobs, &cancel));
    cancel = true;
    CKavrelDoc doc;
    scan::ImageBatchResult result = scan::AddImageDiscs(doc, jobs);
    result.cancelled = cancel;
    EXPECT_EQ(scan::ImageBatchSummary(jobs, result),
              "Disc images catalogued: 2 discs with 16 entries added.");
}

TEST(ImageBatchTest, ABlankOrEmptyLabelRefusesItsImageOnly) {
    std::vector<scan::ImageJob> jobs(2);
    jobs[0].path = "/a.iso";
    jobs[1].path = "/b.iso";
    jobs[1].label = " B";
    EXPECT_TRUE(scan::WalkImages(jobs, nullptr));
    EXPECT_EQ(jobs[0].problem, "Error:empty or blan");
    EXPECT_EQ(jobs[1].problem, "Error:empty or blan");
}

TEST(ImageBatchTest, TheSummaryNamesTheImagesWhoseNamesWereKeptWithReplacementCharacters) {
    std::vector<scan::ImageJob> jobs(2);
    jobs[0].path = "/a.iso";
    jobs[0].walked = true;
    jobs[0].mendedNames = 2;
    jobs[1].path = "/b.iso";
    jobs[1].walked = true;
    EXPECT_EQ(scan::ImageBatchSummary(jobs, {2, 5, false}),
              "Disc images catalogued: 2 discs with 5 entries added.\n\n"
              "Names that could not be read, kept with U+FFFD in their place:\n/a.iso: 2 names");
}
