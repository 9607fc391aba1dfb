#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "ListsTestSupport.h"
#include "catalogue/EntryStore.h"
#include "lists/DetailListModel.h"

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

TEST(DetailListModelTest, EntriesAreReadInPlaceFromTheStore) {
    EntryStore store;
    store.Append("A", "DOCS", "folder ", "\\", "0");
    store.Append("A", "R\xE9SUM\xC9.TXT", "file ", "\\DOCS\\", "1,024");
    store.Append("A", "LIVE", "folder", "\\", "0");  // a live kind word is no catalogue folder
    DetailListModel model;
    SetFourColumns(model);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.ShowEntries(&store, 0, 3);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(ColumnTexts(model, 2), (Texts{"\\", "\\DOCS\\", "\\"}));
    EXPECT_EQ(ColumnTexts(model, 3), (Texts{"0", "1,024", "0"}));
    EXPECT_TRUE(model.data(model.index(0, 0), DetailListModel::kFolderRole).toBool());
    EXPECT_FALSE(model.IsFolderRow(1));
    EXPECT_FALSE(model.IsFolderRow(2));
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

}  // namespace
