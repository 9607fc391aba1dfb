#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "ListsTestSupport.h"
#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"
#include "lists/DetailListModel.h"
#include "res/Texts.h"

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

void SetCatalogueColumns(DetailListModel& model, bool hits = false) {
    std::vector<ListColumn> columns{{"A", Qt::AlignLeft, 10},
                                    {"B", Qt::AlignHCenter, 20},
                                    {"C", Qt::AlignLeft, 30},
                                    {"D", Qt::AlignHCenter, 40},
                                    {"E", Qt::AlignLeft, 50}};
    if (hits) columns.push_back({"F", Qt::AlignLeft, 60});
    model.SetColumns(std::move(columns));
}

TEST(DetailListModelTest, EveryColumnSortsStablyAgainstTheOrderShown) {
    EntryStore store;
    constexpr std::int64_t kUnknown = EntryStore::kUnknownTime;
    const struct {
        const char *name, *kind, *path, *size;
        std::int64_t time;
    } entries[] = {{"beta", "file ", "\\b\\", "1,000", 300},
                   {"Alpha", "folder ", "\\a\\", "0", kUnknown},
                   {"gamma", "file ", "\\a\\", "20", 100},
                   {"alpha", "file ", "\\c\\", "?", 300},
                   {"Beta", "file ", "\\b\\", "20", 200}};
    for (const auto& e : entries)
        store.SetModified(store.Append("A", e.name, e.kind, e.path, e.size), e.time);
    DetailListModel model;
    SetCatalogueColumns(model);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.ShowEntries(&store, 0, 5);
    const QPersistentModelIndex gamma = model.index(2, 1);

    // Each sort starts from the order the one before left: rows that tie keep it.
    const struct {
        int column;
        Qt::SortOrder order;
        Texts names;
    } clicks[] = {
        {0, Qt::AscendingOrder, {"Alpha", "alpha", "beta", "Beta", "gamma"}},   // folded names
        {0, Qt::DescendingOrder, {"gamma", "beta", "Beta", "Alpha", "alpha"}},  // ties as shown
        {3, Qt::AscendingOrder, {"Alpha", "gamma", "Beta", "beta", "alpha"}},   // numbers; "?" last
        {4, Qt::DescendingOrder, {"beta", "alpha", "Beta", "gamma", "Alpha"}},  // unknown time last
        {1, Qt::AscendingOrder, {"beta", "alpha", "Beta", "gamma", "Alpha"}},   // "file " before "folder "
        {2, Qt::AscendingOrder, {"gamma", "Alpha", "beta", "Beta", "alpha"}},   // paths
        {-1, Qt::AscendingOrder, {"beta", "Alpha", "gamma", "alpha", "Beta"}},  // as they came
    };
    for (const auto& click : clicks) {
        model.sort(click.column, click.order);
        EXPECT_EQ(ColumnTexts(model, 0), click.names) << click.column;
        EXPECT_EQ(model.Text(gamma.row(), 0), "gamma") << "a selection stays on its row";
        EXPECT_EQ(gamma.column(), 1);
        EXPECT_EQ(model.EntryRow(gamma.row()), 2);
    }
}

TEST(DetailListModelTest, UpRowsStayFirstAndRowsShownInOneGoComeSorted) {
    EntryStore store = StoreWithLabels({"A", "A", "A"});  // names N0, N1, N2
    DetailListModel model;
    SetCatalogueColumns(model);
    QSignalSpy marks(&model, &DetailListModel::sortChanged);
    model.sort(0, Qt::DescendingOrder);
    const std::vector<std::uint32_t> rows{0, 2, 1};
    model.ShowFolderEntries(&store, "\\", rows, nullptr);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"..", "N2", "N1", "N0"}));
    EXPECT_TRUE(model.IsUpRow(0));
    model.sort(3, Qt::AscendingOrder);  // all sizes "1", the up row's "0" not among them
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"..", "N2", "N1", "N0"}));
    model.ShowEntries(&store, 0, 3);
    model.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"N2", "N1", "N0"}));
    EXPECT_EQ(marks.count(), 3);

    // Live rows come one by one: the first ends the sort; "." and ".." stay first once sorted again.
    for (const char* name : {"b", "..", "a", "."}) model.InsertLiveRow(99, {name, "folder", "0", "0"});
    EXPECT_EQ(model.SortColumn(), -1);
    EXPECT_EQ(marks.count(), 4);
    EXPECT_EQ(marks.last().at(0).toInt(), -1);
    model.sort(0, Qt::DescendingOrder);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"..", ".", "b", "a"}));
}

TEST(DetailListModelTest, HitsShowTheirDiscsLocationAndTimeAndEndASortAsTheyCome) {
    catalogue::DiscRecords records;
    records.Set(10, KeptAt("Shelf 2"));
    records.Set(20, KeptAt("box 1"));
    DetailListModel model;
    SetCatalogueColumns(model, true);
    model.SetDiscRecords(&records);
    model.AddHitOnTop("D1", "a", "file ", "\\", "1", 11, 1'500'000'000, 10);
    model.AddHitOnTop("D2", "b", "file ", "\\", "1", 21, EntryStore::kUnknownTime, 20);
    model.AddHitOnTop("D3", "c", "file ", "\\", "1", 30);  // a disc without a record
    EXPECT_EQ(ColumnTexts(model, 5), (Texts{"", "box 1", "Shelf 2"}));
    EXPECT_EQ(model.Modified(2), 1'500'000'000);
    EXPECT_EQ(model.data(model.index(2, 4), Qt::DisplayRole).toString(), DateTimeText(1'500'000'000));
    EXPECT_EQ(model.data(model.index(1, 4), Qt::DisplayRole).toString(), QString());

    model.sort(5, Qt::AscendingOrder);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"c", "b", "a"}));
    EXPECT_EQ(model.HitEntry(2), 11u);
    model.sort(4, Qt::AscendingOrder);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"a", "c", "b"}));
    model.AddHitOnTop("D1", "d", "file ", "\\", "1", 12, 1, 10);
    EXPECT_EQ(model.SortColumn(), -1);
    EXPECT_EQ(ColumnTexts(model, 0), (Texts{"d", "c", "b", "a"})) << "newest on top again";
}

}  // namespace
