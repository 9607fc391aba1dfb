#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/DiscTotals.h"
#include "catalogue/EntryStore.h"

namespace {

struct Row {
    const char* label;
    const char* kind;
    const char* size;
};

EntryStore StoreOf(const std::vector<Row>& rows) {
    EntryStore store;
    for (const Row& row : rows)
        store.Append(row.label, *row.label ? "N" : "", row.kind, *row.label ? "\\" : "", row.size);
    return store;
}

constexpr Row kDeleted{"", "", ""};

TEST(DiscTotals, CountFilesFoldersAndTheBytesOfFiles) {
    const struct {
        const char* why;
        std::vector<Row> rows;
        catalogue::DiscTotals totals;  // of the first disc node
    } cases[] = {
        {"files and folders",
         {{"A", "folder ", "0"}, {"A", "file ", "1,000"}, {"A", "file ", "24"}},
         {2, 1, 1024, 0}},
        {"a deleted entry inside the disc is not counted",
         {{"A", "file ", "5"}, kDeleted, {"A", "file ", "7"}},
         {2, 0, 12, 0}},
        {"a folder's size text adds nothing", {{"A", "folder ", "12"}}, {0, 1, 0, 0}},
        {"another kind counts as a file, as the search counts it", {{"A", "link ", "3"}}, {1, 0, 3, 0}},
        {"sizes that are not numbers add nothing and are counted",
         {{"A", "file ", "12 KB"}, {"A", "file ", ""}, {"A", "file ", "4"}},
         {3, 0, 4, 2}},
        {"sizes past four gigabytes",
         {{"A", "file ", "4,294,967,296"}, {"A", "file ", "4,294,967,296"}},
         {2, 0, 1ull << 33, 0}},
        {"a sum past 64 bits is held at the largest count",
         {{"A", "file ", "18,446,744,073,709,551,615"}, {"A", "file ", "1"}},
         {2, 0, std::numeric_limits<std::uint64_t>::max(), 0}},
        {"the next disc is not this one's", {{"A", "file ", "1"}, {"B", "file ", "100"}}, {1, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const EntryStore store = StoreOf(c.rows);
        const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(store);
        ASSERT_FALSE(discs.empty());
        EXPECT_EQ(catalogue::TotalsOf(store, discs.front()), c.totals);
    }
}

TEST(DiscTotals, AddUpOverDiscs) {
    catalogue::DiscTotals all{1, 2, 3, 4};
    all += catalogue::DiscTotals{10, 20, 30, 40};
    EXPECT_EQ(all, (catalogue::DiscTotals{11, 22, 33, 44}));
    all += catalogue::DiscTotals{0, 0, std::numeric_limits<std::uint64_t>::max(), 0};
    EXPECT_EQ(all.bytes, std::numeric_limits<std::uint64_t>::max());
}

}  // namespace
