#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "TreeTestSupport.h"
#include "tree/DriveListing.h"

namespace {

TEST(DriveListing, ListsTheRootOnceWithRowsNumberedFromZero) {
    QTemporaryDir disc;
    MakeFile(disc.path(), QStringLiteral("A.TXT"), 1500);
    MakeFile(disc.path(), QStringLiteral("DOCS/B.DOC"), 20);
    const FakeDrives drives("E=" + disc.path().toStdString());
    CKavrelDoc doc;
    HintRecorder views(&doc);

    BroadcastDriveListing(doc, "E:\\");

    ASSERT_EQ(views.heard_.size(), 3u);
    EXPECT_EQ(views.heard_[0].hint, hint::kLiveListing);
    EXPECT_EQ(views.heard_[0].text, "E:\\");
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 1; i < views.heard_.size(); ++i) {
        EXPECT_EQ(views.heard_[i].hint, hint::kLiveRow);
        EXPECT_EQ(views.heard_[i].row, static_cast<int>(i - 1));
        rows.push_back(views.heard_[i].live);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows[0], (std::array<std::string, 4>{"A.TXT", "file", "1,500", "1"}));
    EXPECT_EQ(rows[1][0], "DOCS");
    EXPECT_EQ(rows[1][1], "folder");
    EXPECT_EQ(rows[1][3], "0");
    EXPECT_EQ(doc.m_nListRow, 0);
}

TEST(DriveListing, UnreadableDriveGivesTheEmptyListingOnly) {
    const FakeDrives drives("E=/nonexistent/tamberol-no-disc");
    CKavrelDoc doc;
    doc.m_nListRow = 7;
    HintRecorder views(&doc);

    BroadcastDriveListing(doc, "E:\\");
    BroadcastDriveListing(doc, " ");

    EXPECT_EQ(views.Hints(), (std::vector<int>{hint::kLiveListing, hint::kLiveListing}));
    EXPECT_EQ(doc.m_strDriveRoot, " ");
    EXPECT_EQ(doc.m_nListRow, 0);
}

}  // namespace
