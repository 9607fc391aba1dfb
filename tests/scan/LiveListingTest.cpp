#include <gtest/gtest.h>

#include <algorithm>

#include "DriveEnv.h"
#include "RecordingView.h"
#include "TempFolder.h"
#include "catalogue/Hints.h"
#include "platform/DirectoryListing.h"
#include "scan/LiveListing.h"

namespace {

using scan::BroadcastDriveListing;
using scan::LiveRow;

TEST(LiveRowTest, FolderIsToldByTheDirectoryBitAlone) {
    // Optical folders 0x11, disk folders 0x10, hidden 0x12; files 0x01 on a disc, 0x20 elsewhere.
    for (const std::uint32_t attributes : {0x11u, 0x10u, 0x12u}) {
        const LiveRow row = LiveRow::FromItem({"D", attributes, 0});
        EXPECT_EQ(row.kind + row.flag, "folder0") << attributes;
        EXPECT_TRUE(row.IsFolder());
    }
    for (const std::uint32_t attributes : {0x01u, 0x20u, 0x00u}) {
        const LiveRow row = LiveRow::FromItem({"F", attributes, 1234});
        EXPECT_EQ(row.kind + row.flag, "file1") << attributes;
        EXPECT_EQ(row.size, "1,234");
    }
}

TEST(LiveRowTest, SizesOfFourGibibytesAndMoreAreShownInFull) {
    EXPECT_EQ(LiveRow::FromItem({"BIG.ISO", 0x01, 4294967296ull}).size, "4,294,967,296");
    EXPECT_EQ(LiveRow::FromItem({"BIG.ISO", 0x01, 4294967301ull}).size, "4,294,967,301");
}

TEST(DriveListing, ListsTheRootOnceWithRowsNumberedFromZero) {
    TempFolder disc;
    disc.File("A.TXT", 1500);
    disc.File("DOCS/B.DOC", 20);
    const DriveEnv drives("E=" + disc.Root());
    CKavrelDoc doc;
    RecordingView views(doc);

    BroadcastDriveListing(doc, "E:\\");

    ASSERT_EQ(views.heard.size(), 3u);
    EXPECT_EQ(views.heard[0].hint, hint::kLiveListing);
    EXPECT_EQ(views.heard[0].driveRoot, "E:\\");
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 1; i < views.heard.size(); ++i) {
        EXPECT_EQ(views.heard[i].hint, hint::kLiveRow);
        EXPECT_EQ(views.heard[i].listRow, static_cast<int>(i - 1));
        rows.push_back(views.heard[i].listTexts);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows[0], (std::array<std::string, 4>{"A.TXT", "file", "1,500", "1"}));
    EXPECT_EQ(rows[1][0], "DOCS");
    EXPECT_EQ(rows[1][1], "folder");
    EXPECT_EQ(rows[1][3], "0");
    EXPECT_EQ(doc.m_nListRow, 0);
}

TEST(DriveListing, UnreadableDriveOrARootThatIsNoDriveGivesTheEmptyListingOnly) {
    const DriveEnv drives("E=/nonexistent/tamberol-no-disc");
    CKavrelDoc doc;
    doc.m_nListRow = 7;
    RecordingView views(doc);

    BroadcastDriveListing(doc, "E:\\");
    // A disc labelled "CD/DVD Driver:.../tmp" is taken for a drive node; it must not list the host's /tmp.
    BroadcastDriveListing(doc, "/tmp");
    BroadcastDriveListing(doc, " ");

    EXPECT_EQ(views.Hints(), (std::vector<int>{hint::kLiveListing, hint::kLiveListing, hint::kLiveListing}));
    EXPECT_EQ(doc.m_strDriveRoot, " ");
    EXPECT_EQ(doc.m_nListRow, 0);
}

}  // namespace
