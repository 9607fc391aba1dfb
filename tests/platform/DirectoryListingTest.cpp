#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "DriveEnv.h"
#include "TempFolder.h"
#include "platform/DirectoryListing.h"

using platform::DirItem;
using platform::kAttrArchive;
using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrReadOnly;

namespace {

struct Listing {
    bool ok = false;
    std::vector<DirItem> items;

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const DirItem& item : items) names.push_back(item.name);
        return names;
    }
    const DirItem* Find(const std::string& name) const {
        const auto it =
            std::find_if(items.begin(), items.end(), [&](const DirItem& i) { return i.name == name; });
        return it == items.end() ? nullptr : &*it;
    }
};

Listing List(const std::string& folder) {
    Listing listing;
    listing.ok = platform::ListFolder(folder, [&](const DirItem& item) { listing.items.push_back(item); });
    return listing;
}

class ListFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.Folder("DOCS");
        tree.Folder("DOCS/Sub");
        tree.File("DOCS/B.DOC", 20);
        tree.File("A.TXT", 1500);
    }
    TempFolder tree;
    DriveEnv map{"E=" + tree.Root()};
};

}  // namespace

TEST_F(ListFolderTest, TheRootHasNoDotEntries) {
    for (const std::string root : {"E:\\", "E:", "E:\\..", "E:\\DOCS\\..\\..\\"}) {
        const Listing listing = List(root);
        ASSERT_TRUE(listing.ok) << root;
        auto names = listing.Names();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"A.TXT", "DOCS"})) << root;
    }
}

TEST_F(ListFolderTest, FoldersBelowTheRootStartWithDotAndDotDot) {
    const Listing listing = List("E:\\DOCS\\");
    ASSERT_TRUE(listing.ok);
    ASSERT_EQ(listing.items.size(), 4u);
    EXPECT_EQ(listing.items[0].name, ".");
    EXPECT_EQ(listing.items[1].name, "..");
    EXPECT_TRUE(platform::IsFolder(listing.items[0].attributes));
    EXPECT_TRUE(platform::IsFolder(listing.items[1].attributes));
    EXPECT_EQ(listing.Names().size(), 4u);
    EXPECT_NE(listing.Find("B.DOC"), nullptr);
    EXPECT_NE(listing.Find("Sub"), nullptr);
}

TEST_F(ListFolderTest, ASystemPathCountsAsItsOwnRoot) {
    const Listing listing = List(tree.At("DOCS"));
    ASSERT_TRUE(listing.ok);
    EXPECT_EQ(listing.Find("."), nullptr);
    EXPECT_EQ(listing.Find(".."), nullptr);
    EXPECT_EQ(listing.items.size(), 2u);
}

TEST_F(ListFolderTest, AttributeWordsAndSizes) {
    tree.File(".hidden", 3);
    tree.Folder(".config");
    tree.File("locked.txt", 5);
    ASSERT_EQ(chmod(tree.At("locked.txt").c_str(), 0444), 0);
    const Listing listing = List("E:\\");
    ASSERT_TRUE(listing.ok);
    const struct {
        const char* name;
        std::uint32_t attributes;
        std::uint64_t size;
    } cases[] = {
        {"A.TXT", kAttrArchive, 1500},
        {"DOCS", kAttrDirectory, 0},
        {".hidden", kAttrArchive | kAttrHidden, 3},
        {".config", kAttrDirectory | kAttrHidden, 0},
        // Root may write every file, so only others see it read-only.
        {"locked.txt", kAttrArchive | (RunningAsRoot() ? 0u : kAttrReadOnly), 5},
    };
    for (const auto& c : cases) {
        const DirItem* item = listing.Find(c.name);
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->attributes, c.attributes) << c.name;
        EXPECT_EQ(item->size, c.size) << c.name;
    }
}

TEST_F(ListFolderTest, SizesOfFourGibibytesAndMoreAreKeptInFull) {
    const std::string big = tree.At("big.iso");
    {
        const int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, 5LL * 1024 * 1024 * 1024 + 7), 0);
        close(fd);
    }
    const Listing listing = List("E:\\");
    ASSERT_NE(listing.Find("big.iso"), nullptr);
    EXPECT_EQ(listing.Find("big.iso")->size, 5ULL * 1024 * 1024 * 1024 + 7);
}

TEST_F(ListFolderTest, SymbolicLinksAreFilesAndNeverLeadAnywhere) {
    tree.Link("/", "outside");
    tree.Link("DOCS", "inside");
    const Listing listing = List("E:\\");
    ASSERT_NE(listing.Find("outside"), nullptr);
    EXPECT_EQ(listing.Find("outside")->attributes & kAttrDirectory, 0u);
    EXPECT_EQ(listing.Find("outside")->size, 1u);
    EXPECT_EQ(listing.Find("inside")->attributes & kAttrDirectory, 0u);
    // A drive text cannot be used to go through a link either.
    EXPECT_FALSE(List("E:\\outside\\").ok);
    EXPECT_FALSE(List("E:\\inside\\").ok);
}

TEST_F(ListFolderTest, FoldersThatCannotBeListedReportNothing) {
    for (const std::string folder : {"E:\\MISSING\\", "E:\\A.TXT\\", "F:\\", "DOCS\\", ""}) {
        const Listing listing = List(folder);
        EXPECT_FALSE(listing.ok) << folder;
        EXPECT_TRUE(listing.items.empty()) << folder;
    }
    const DriveEnv empty("E=");
    EXPECT_FALSE(List("E:\\").ok);
}

TEST_F(ListFolderTest, NamesAreTheFileSystemsBytes) {
    const std::vector<std::string> names = {"with blank", "tab\there", "\xC3\xA9t\xC3\xA9", "latin\xE9"};
    for (const std::string& name : names) tree.File("DOCS/Sub/" + name, 1);
    const Listing listing = List("E:\\DOCS\\Sub");
    for (const std::string& name : names) EXPECT_NE(listing.Find(name), nullptr) << name;
}
