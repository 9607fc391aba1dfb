#include <gtest/gtest.h>

#include "catalogue/NodeTexts.h"

namespace {

TEST(NodeTexts, NodeTextsTellRootDriveAndDisc) {
    EXPECT_TRUE(catalogue::IsCatalogueRoot("CD Image files"));
    EXPECT_FALSE(catalogue::IsCatalogueRoot("CD Image files "));
    EXPECT_FALSE(catalogue::IsCatalogueRoot("cd image files"));

    EXPECT_EQ(catalogue::DriveNodeText("E:\\"), "CD/DVD Driver:E:\\");
    EXPECT_TRUE(catalogue::IsDriveNode("CD/DVD Driver:E:\\"));
    EXPECT_EQ(catalogue::DriveOfNode("CD/DVD Driver:E:\\"), "E:\\");
    EXPECT_FALSE(catalogue::IsDriveNode("CD/DVD Driver"));
    EXPECT_FALSE(catalogue::IsDriveNode("cd/dvd driver:E:\\"));
}

TEST(NodeTexts, LabelThatLooksLikeADriveNodeNamesItsLastThreeCharacters) {
    EXPECT_TRUE(catalogue::IsDriveNode("CD/DVD Driver:backup"));
    EXPECT_EQ(catalogue::DriveOfNode("CD/DVD Driver:backup"), "kup");
    EXPECT_EQ(catalogue::DriveOfNode("CD/DVD Driver:"), "er:");
}

}  // namespace
