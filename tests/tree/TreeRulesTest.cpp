#include <gtest/gtest.h>

#include "catalogue/EntryStore.h"
#include "tree/TreeRules.h"

namespace {

std::vector<std::string> RunsOf(std::initializer_list<const char*> labels) {
    EntryStore store;
    for (const char* label : labels) {
        if (*label)
            store.Append(label, "N", "file ", "\\", "1");
        else
            store.Append("", "", "", "", "");  // a deleted entry
    }
    std::vector<std::string> runs;
    for (std::string_view run : treerules::DiscRuns(store)) runs.emplace_back(run);
    return runs;
}

using Runs = std::vector<std::string>;

TEST(TreeRules, NodeTextsTellRootDriveAndDisc) {
    EXPECT_TRUE(treerules::IsCatalogueRoot("CD Image files"));
    EXPECT_FALSE(treerules::IsCatalogueRoot("CD Image files "));
    EXPECT_FALSE(treerules::IsCatalogueRoot("cd image files"));

    EXPECT_EQ(treerules::DriveNodeText("E:\\"), "CD/DVD Driver:E:\\");
    EXPECT_TRUE(treerules::IsDriveNode("CD/DVD Driver:E:\\"));
    EXPECT_EQ(treerules::DriveOfNode("CD/DVD Driver:E:\\"), "E:\\");
    EXPECT_FALSE(treerules::IsDriveNode("CD/DVD Driver"));
    EXPECT_FALSE(treerules::IsDriveNode("cd/dvd driver:E:\\"));
}

TEST(TreeRules, LabelThatLooksLikeADriveNodeNamesItsLastThreeCharacters) {
    EXPECT_TRUE(treerules::IsDriveNode("CD/DVD Driver:backup"));
    EXPECT_EQ(treerules::DriveOfNode("CD/DVD Driver:backup"), "kup");
    EXPECT_EQ(treerules::DriveOfNode("CD/DVD Driver:"), "er:");
}

TEST(TreeRules, DiscRunsStartAtEveryChangeOfNonEmptyLabel) {
    EXPECT_EQ(RunsOf({}), Runs{});
    EXPECT_EQ(RunsOf({"A", "A", "B", "B"}), (Runs{"A", "B"}));
    EXPECT_EQ(RunsOf({"A", "B", "A"}), (Runs{"A", "B", "A"}));
    EXPECT_EQ(RunsOf({"A", "", "A"}), (Runs{"A"}));
    EXPECT_EQ(RunsOf({"", "", "B"}), (Runs{"B"}));
    EXPECT_EQ(RunsOf({"", ""}), Runs{});
}

TEST(TreeRules, DiscRunsCompareLabelsByteForByte) {
    EXPECT_EQ(RunsOf({"a", "A", "A ", "A"}), (Runs{"a", "A", "A ", "A"}));
    EXPECT_EQ(RunsOf({"Disc:\\1", "Disc:\\1"}), (Runs{"Disc:\\1"}));
}

}  // namespace
