#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ListsTestSupport.h"
#include "catalogue/EntryStore.h"
#include "lists/DetailListModel.h"
#include "lists/DiscRun.h"
#include "lists/LiveRow.h"
#include "platform/DirectoryListing.h"

namespace {

using Texts = std::vector<std::string>;

EntryStore StoreWithLabels(const Texts& labels) {
    EntryStore store;
    for (std::size_t i = 0; i < labels.size(); ++i)
        store.Append(labels[i], "N" + std::to_string(i), "file ", "\\", "1");
    return store;
}

void SetFourColumns(DetailListModel& model) {
    model.SetColumns({{"A", Qt::AlignLeft, 10},
                      {"B", Qt::AlignHCenter, 20},
                      {"C", Qt::AlignLeft, 30},
                      {"D", Qt::AlignHCenter, 40}});
}

TEST(DiscRunTest, ShowsOnlyTheFirstUnbrokenRunOfALabel) {
    const EntryStore store = StoreWithLabels({"X", "A", "A", "B", "A"});
    const DiscRun a = FindDiscRun(store, "A");
    EXPECT_EQ(a.first, 1u);
    EXPECT_EQ(a.count, 2u);
    const DiscRun b = FindDiscRun(store, "B");
    EXPECT_EQ(b.first, 3u);
    EXPECT_EQ(b.count, 1u);
}

TEST(DiscRunTest, ComparesLabelsExactly) {
    const EntryStore store = StoreWithLabels({"Disc", "Disc ", "disc"});
    EXPECT_EQ(FindDiscRun(store, "Disc").count, 1u);
    EXPECT_EQ(FindDiscRun(store, "DISC").count, 0u);
    EXPECT_EQ(FindDiscRun(store, "CD Image files").count, 0u);
}

TEST(DiscRunTest, TextsOfOtherColumnsAreNotLabels) {
    // "file " is interned for the kind column; no entry carries it as a label.
    const EntryStore store = StoreWithLabels({"A"});
    EXPECT_EQ(FindDiscRun(store, "file ").count, 0u);
    EXPECT_EQ(FindDiscRun(store, "\\").count, 0u);
}

TEST(LiveRowTest, FolderIsToldByTheDirectoryBitAlone) {
    using platform::DirItem;
    const LiveRow cdFolder = LiveRow::FromItem(DirItem{"DOCS", 0x11, 0});
    const LiveRow diskFolder = LiveRow::FromItem(DirItem{"src", 0x10, 0});
    const LiveRow hiddenFolder = LiveRow::FromItem(DirItem{".git", 0x12, 0});
    const LiveRow cdFile = LiveRow::FromItem(DirItem{"A.TXT", 0x01, 1234});
    const LiveRow archiveFile = LiveRow::FromItem(DirItem{"b.txt", 0x20, 5});
    for (const LiveRow* folder : {&cdFolder, &diskFolder, &hiddenFolder}) {
        EXPECT_EQ(folder->kind, "folder");
        EXPECT_EQ(folder->flag, "0");
        EXPECT_TRUE(folder->IsFolder());
    }
    for (const LiveRow* file : {&cdFile, &archiveFile}) {
        EXPECT_EQ(file->kind, "file");
        EXPECT_EQ(file->flag, "1");
        EXPECT_FALSE(file->IsFolder());
    }
    EXPECT_EQ(cdFile.size, "1,234");
}

TEST(LiveRowTest, SizesOfFourGibibytesAndMoreAreShownInFull) {
    EXPECT_EQ(LiveRow::FromItem({"BIG.ISO", 0x01, 4294967296ull}).size, "4,294,967,296");
    EXPECT_EQ(LiveRow::FromItem({"BIG.ISO", 0x01, 4294967301ull}).size, "4,294,967,301");
}

TEST(DetailListModelTest, EntriesAreReadInPlaceFromTheStore) {
    EntryStore store;
    store.Append("A", "DOCS", "folder ", "\\", "0");
    store.Append("A", "R\xE9SUM\xC9.TXT", "file ", "\\DOCS\\", "1,024");
    DetailListModel model;
    SetFourColumns(model);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.ShowEntries(&store, 0, 2);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(ColumnTexts(model, 1), (Texts{"folder ", "file "}));
    EXPECT_EQ(ColumnTexts(model, 2), (Texts{"\\", "\\DOCS\\"}));
    EXPECT_EQ(ColumnTexts(model, 3), (Texts{"0", "1,024"}));
    EXPECT_TRUE(model.IsFolderRow(0));
    EXPECT_FALSE(model.IsFolderRow(1));
    // Bytes stay bytes for navigation; display decodes them (Windows-1252 here).
    EXPECT_EQ(model.Text(1, 0), "R\xE9SUM\xC9.TXT");
    EXPECT_EQ(model.data(model.index(1, 0), Qt::DisplayRole).toString(), QString::fromUtf8("RéSUMÉ.TXT"));
    store.SetName(1, "NEW.TXT");
    EXPECT_EQ(model.Text(1, 0), "NEW.TXT");
}

TEST(DetailListModelTest, RowsOfAnEmptiedStoreReadAsEmptyInsteadOfFaulting) {
    EntryStore store = StoreWithLabels({"A", "A", "A"});
    DetailListModel model;
    SetFourColumns(model);
    model.ShowEntries(&store, 0, 3);
    store.Clear();
    EXPECT_EQ(model.Text(2, 0), "");
    EXPECT_FALSE(model.IsFolderRow(2));
    EXPECT_EQ(model.data(model.index(2, 0), Qt::DisplayRole).toString(), QString());
}

TEST(DetailListModelTest, FolderImageOnlyForTheExactFolderKind) {
    EntryStore store;
    store.Append("A", "X", "folder", "\\", "0");  // a live kind word is not a catalogue folder
    store.Append("A", "Y", "folder ", "\\", "0");
    DetailListModel model;
    SetFourColumns(model);
    model.ShowEntries(&store, 0, 2);
    EXPECT_FALSE(model.data(model.index(0, 0), DetailListModel::kFolderRole).toBool());
    EXPECT_TRUE(model.data(model.index(1, 0), DetailListModel::kFolderRole).toBool());
}

TEST(DetailListModelTest, HitsAreShownNewestFirstAndClearedTogether) {
    DetailListModel model;
    SetFourColumns(model);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.AddHitOnTop("D1", "e1", "file ", "\\", "1");
    model.AddHitOnTop("D1", "e2", "folder ", "\\A\\", "0");
    model.AddHitOnTop("D2", "e3", "file ", "\\B\\", "3");
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"e3", "e2", "e1"}));
    EXPECT_EQ(ColumnTexts(model, 1), (Texts{"D2", "D1", "D1"}));
    EXPECT_EQ(ColumnTexts(model, 2), (Texts{"\\B\\", "\\A\\", "\\"}));
    EXPECT_EQ(ColumnTexts(model, 3), (Texts{"3", "0", "1"}));
    EXPECT_FALSE(model.IsFolderRow(0));
    EXPECT_TRUE(model.IsFolderRow(1));
    model.ClearRows();
    EXPECT_EQ(model.rowCount(), 0);
    model.ClearRows();
    model.AddHitOnTop("D3", "e4", "file ", "\\", "4");
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"e4"}));
}

TEST(DetailListModelTest, LiveRowsLandAtTheirIndexAndReplaceOtherRows) {
    EntryStore store = StoreWithLabels({"A"});
    DetailListModel model;
    SetFourColumns(model);
    model.ShowEntries(&store, 0, 1);
    model.InsertLiveRow(0, {"B", "file", "1", "1"});
    model.InsertLiveRow(5, {"C", "folder", "0", "0"});  // past the end: appended
    model.InsertLiveRow(0, {"A", "file", "1", "1"});
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"A", "B", "C"}));
    EXPECT_EQ(ColumnTexts(model, 2), (Texts{"1", "1", "0"}));
    EXPECT_EQ(ColumnTexts(model, 3), (Texts{"", "", ""}));
    EXPECT_TRUE(model.IsFolderRow(2));
}

TEST(DetailListModelTest, ReplacingColumnsEmptiesRowsAndAnnouncesTheNewWidths) {
    DetailListModel model;
    SetFourColumns(model);
    QSignalSpy replaced(&model, &DetailListModel::columnsReplaced);
    model.AddHitOnTop("D", "e", "file ", "\\", "1");
    model.SetColumns({{"Name", Qt::AlignLeft, 200}});
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(Headings(model), (Texts{"Name"}));
    EXPECT_EQ(model.Text(0, 0), "");
}

TEST(DetailListModelTest, FindRowMatchesNameAndPath) {
    EntryStore store;
    store.Append("A", "X.TXT", "file ", "\\", "1");
    store.Append("A", "X.TXT", "file ", "\\SUB\\", "1");
    DetailListModel model;
    SetFourColumns(model);
    model.ShowEntries(&store, 0, 2);
    EXPECT_EQ(model.FindRow("X.TXT", "\\SUB\\"), 1);
    EXPECT_EQ(model.FindRow("X.TXT", "\\"), 0);
    EXPECT_EQ(model.FindRow("X.TXT", "\\NONE\\"), -1);
}

}  // namespace
