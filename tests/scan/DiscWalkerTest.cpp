#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <algorithm>
#include <atomic>
#include <string>
#include <tuple>
#include <vector>

#include "DriveEnv.h"
#include "StoreRows.h"
#include "TempFolder.h"
#include "catalogue/EntryStore.h"
#include "scan/DiscWalker.h"

using scan::DiscWalker;

namespace {

std::vector<Row> Sorted(std::vector<Row> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The listing order is the file system's, so the walk is checked for pre-order instead of one order:
// every folder's entry is followed at once by all entries below it, and nothing else comes in between.
void ExpectPreOrder(const EntryStore& store) {
    for (std::size_t i = 0; i < store.Size(); ++i) {
        if (store.Kind(i) != "folder ") continue;
        const std::string inside = std::string(store.Path(i)) + std::string(store.Name(i)) + "\\";
        std::size_t below = 0;
        for (std::size_t j = 0; j < store.Size(); ++j) below += store.Path(j).starts_with(inside) ? 1 : 0;
        for (std::size_t j = i + 1; j <= i + below && j < store.Size(); ++j)
            EXPECT_TRUE(store.Path(j).starts_with(inside))
                << "entry " << j << " breaks the subtree of " << inside;
    }
}

std::vector<Row> Walk(const std::string& drive, const std::string& label = "Backup") {
    DiscWalker walker(label);
    EntryStore out;
    EXPECT_TRUE(walker.Walk(drive, out));
    ExpectPreOrder(out);
    return Rows(out);
}

class DiscWalkerTest : public ::testing::Test {
protected:
    TempFolder tree;
    DriveEnv map{"E=" + tree.Root()};
};

}  // namespace

TEST_F(DiscWalkerTest, WorkedExample) {
    tree.File("A.TXT", 1500);
    tree.File("DOCS/B.DOC", 20);
    const auto rows = Walk("E:\\");
    EXPECT_EQ(Sorted(rows), (std::vector<Row>{{"Backup", "A.TXT", "file ", "\\", "1,500"},
                                              {"Backup", "B.DOC", "file ", "\\DOCS\\", "20"},
                                              {"Backup", "DOCS", "folder ", "\\", "0"}}));
}

TEST_F(DiscWalkerTest, DriveWithoutBackslashWalksTheRoot) {
    tree.File("A.TXT", 1);
    tree.File("DOCS/B.DOC", 2);
    for (const char* drive : {"E:", "e:\\", "E:\\DOCS\\.."})
        EXPECT_EQ(Sorted(Walk(drive)), Sorted(Walk("E:\\"))) << drive;
}

TEST_F(DiscWalkerTest, AFolderOfTheDriveRecordsPathsFromTheRoot) {
    tree.File("DOCS/Letters/B.DOC", 2);
    EXPECT_EQ(Sorted(Walk("E:\\DOCS")),
              (std::vector<Row>{{"Backup", "B.DOC", "file ", "\\DOCS\\Letters\\", "2"},
                                {"Backup", "Letters", "folder ", "\\DOCS\\", "0"}}));
}

TEST_F(DiscWalkerTest, ASystemFolderIsWalkedAsADiscOfItsOwn) {
    tree.File("copy/DOCS/B.DOC", 2);
    const std::vector<Row> expected = {{"Backup", "B.DOC", "file ", "\\DOCS\\", "2"},
                                       {"Backup", "DOCS", "folder ", "\\", "0"}};
    EXPECT_EQ(Sorted(Walk(tree.At("copy"))), expected);
    EXPECT_EQ(Sorted(Walk(tree.At("copy/"))), expected);
}

TEST_F(DiscWalkerTest, NestedFoldersComeInPreOrder) {
    std::string folder;
    for (int depth = 0; depth < 40; ++depth) {
        folder += (depth ? "/" : "") + std::string("level") + std::to_string(depth);
        tree.Folder(folder);
        tree.File(folder + "/a.txt", 1);
        tree.File(folder + "/b.txt", 12345);
    }
    tree.Folder("level0/side");
    tree.File("level0/side/c.txt", 3);
    const auto rows = Walk("E:\\");
    EXPECT_EQ(rows.size(), 40u * 3 + 2);
    const auto deepest = std::find_if(rows.begin(), rows.end(), [](const Row& r) {
        return std::get<1>(r) == "b.txt" && std::get<3>(r).ends_with("\\level39\\");
    });
    ASSERT_NE(deepest, rows.end());
    EXPECT_EQ(std::get<4>(*deepest), "12,345");
    EXPECT_EQ(std::count(std::get<3>(*deepest).begin(), std::get<3>(*deepest).end(), '\\'), 41);
}

TEST_F(DiscWalkerTest, AnEmptyOrMissingDiscGivesNoEntries) {
    EXPECT_TRUE(Walk("E:\\").empty());
    EXPECT_TRUE(Walk("F:\\").empty());
    EXPECT_TRUE(Walk("not a drive").empty());
    const DriveEnv noDisc("E=");
    EXPECT_TRUE(Walk("E:\\").empty());
}

TEST_F(DiscWalkerTest, FolderThatCannotBeReadAddsNothingAndTheWalkGoesOn) {
    tree.File("A/one.txt", 1);
    tree.File("B/two.txt", 1);
    tree.File("after.txt", 1);
    DiscWalker walker("Backup");
    if (RunningAsRoot()) {
        // Root reads every folder; a folder that vanishes between its listing and its walk fails alike.
        walker.SetProgress([&](std::string_view folder, std::size_t) {
            if (folder == "E:\\A\\") QDir(QString::fromStdString(tree.At("B"))).removeRecursively();
            if (folder == "E:\\B\\") QDir(QString::fromStdString(tree.At("A"))).removeRecursively();
        });
    } else {
        tree.Lock("B");
    }
    EntryStore out;
    EXPECT_TRUE(walker.Walk("E:\\", out));
    const auto rows = Sorted(Rows(out));
    // Both folders keep their entries; only one of them could be read.
    EXPECT_EQ(rows.size(), 4u);
    for (const std::string name : {"A", "B", "after.txt"}) {
        EXPECT_EQ(
            std::count_if(rows.begin(), rows.end(), [&](const Row& r) { return std::get<1>(r) == name; }), 1)
            << name;
    }
}

TEST_F(DiscWalkerTest, SymbolicLinksAreRecordedAsFilesAndNeverFollowed) {
    tree.Folder("DOCS");
    tree.Link(".", "DOCS/loop");
    tree.Link("..", "DOCS/up");
    tree.Link("/", "root");
    const auto rows = Sorted(Walk("E:\\"));
    ASSERT_EQ(rows.size(), 4u);
    for (const Row& row : rows) {
        if (std::get<1>(row) == "DOCS") continue;
        EXPECT_EQ(std::get<2>(row), "file ") << std::get<1>(row);
    }
}

TEST_F(DiscWalkerTest, NamesAreKeptByteForByte) {
    tree.Folder("with blank");
    const std::vector<std::string> names = {"two  blanks ", "tab\there",
                                            "\xC3\xA9t\xC3\xA9 \xC3\xA0 Paris.txt", "latin\xE9.txt"};
    for (const std::string& name : names) tree.File("with blank/" + name, 1);
    const auto rows = Walk("E:\\");
    for (const std::string& name : names) {
        EXPECT_NE(std::find(rows.begin(), rows.end(), Row{"Backup", name, "file ", "\\with blank\\", "1"}),
                  rows.end())
            << name;
    }
}

TEST_F(DiscWalkerTest, FilesOfFourGibibytesAndMoreKeepTheirFullSize) {
    const int fd = open(tree.At("disc.iso").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 5LL * 1024 * 1024 * 1024), 0);
    close(fd);
    EXPECT_EQ(Walk("E:\\"), (std::vector<Row>{{"Backup", "disc.iso", "file ", "\\", "5,368,709,120"}}));
}

TEST_F(DiscWalkerTest, CancellingStopsTheWalkAndKeepsWhatWasWalked) {
    for (const char* folder : {"A", "B", "C"}) {
        tree.File(std::string(folder) + "/x", 1);
    }
    std::atomic<bool> cancel{false};
    DiscWalker walker("Backup");
    walker.SetCancelFlag(&cancel);
    std::vector<std::string> entered;
    walker.SetProgress([&](std::string_view folder, std::size_t) {
        entered.emplace_back(folder);
        if (entered.size() == 2) cancel = true;
    });
    EntryStore out;
    EXPECT_FALSE(walker.Walk("E:\\", out));
    EXPECT_EQ(entered.front(), "E:\\");
    EXPECT_EQ(entered.size(), 2u);
    EXPECT_GE(out.Size(), 1u);
    EXPECT_LT(out.Size(), 6u);

    cancel = false;
    EntryStore again;
    EXPECT_TRUE(walker.Walk("E:\\", again));
    EXPECT_EQ(again.Size(), 6u);
}
