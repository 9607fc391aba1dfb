#include <gtest/gtest.h>

#include <string>

#include "catalogue/CCDContent.h"
#include "catalogue/EntryStore.h"

TEST(EntryStore, KeepsEachEntrysTextsApartFromItsNeighbours) {
    EntryStore store;
    store.Append("Disc 1", "A.TXT", kKindFile, "\\", "5");
    store.Append("Disc 1", "DOCS", kKindFolder, "\\", "0");
    store.Append("Disc 2", "B.TXT", kKindFile, "\\DOCS\\", "1,024");
    ASSERT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.Name(1), "DOCS");
    EXPECT_EQ(store.Kind(1), "folder ");
    EXPECT_EQ(store.SizeText(0), "5");
    EXPECT_EQ(store.Path(2), "\\DOCS\\");
    EXPECT_EQ(store.Label(2), "Disc 2");
    EXPECT_EQ(store.LabelId(0), store.LabelId(1));
    EXPECT_NE(store.LabelId(1), store.LabelId(2));
}

TEST(EntryStore, ViewsStayValidWhileTheStoreGrowsAndIsEdited) {
    EntryStore store;
    store.Append("Disc", "first.txt", kKindFile, "\\", "1");
    const std::string_view name = store.Name(0);
    const std::string_view label = store.Label(0);
    for (int i = 0; i < 100000; ++i) {
        store.Append("Disc " + std::to_string(i % 50), "file" + std::to_string(i), kKindFile, "\\", "12");
    }
    store.SetName(0, "renamed.txt");
    store.SetSize(0, "2");
    EXPECT_EQ(name, "first.txt");
    EXPECT_EQ(label, "Disc");
    EXPECT_EQ(store.Name(0), "renamed.txt");
    EXPECT_EQ(store.SizeText(0), "2");
}

TEST(EntryStore, SettingOneTextLeavesTheOthersAlone) {
    EntryStore store;
    store.Append("L", "name", kKindFile, "\\P\\", "1,000");
    store.SetName(0, "a much longer name than before.txt");
    EXPECT_EQ(store.SizeText(0), "1,000");
    store.SetSize(0, "");
    EXPECT_EQ(store.Name(0), "a much longer name than before.txt");
    // A name set from another entry's view of the same store.
    store.Append("L", "other", kKindFile, "\\", "9");
    store.SetName(1, store.Name(0));
    EXPECT_EQ(store.Name(1), store.Name(0));
    EXPECT_EQ(store.SizeText(1), "9");
}

TEST(EntryStore, AnEntryIsDeletedOnlyWhenAllFiveTextsAreEmpty) {
    EntryStore store;
    store.Append("", "", "", "", "");
    store.Append("", "", "", "", "0");
    store.Append("A", "X", kKindFile, "\\", "1");
    EXPECT_TRUE(store.IsDeleted(0));
    EXPECT_FALSE(store.IsDeleted(1));
    CCDContent entry(&store, 2);
    entry.SetLabel("");
    entry.SetName("");
    entry.SetKind("");
    entry.SetPath("");
    EXPECT_FALSE(entry.IsDeleted());
    entry.SetSize("");
    EXPECT_TRUE(entry.IsDeleted());
}

TEST(EntryStore, TruncateAndClearDropEntries) {
    EntryStore store;
    for (int i = 0; i < 10; ++i) store.Append("A", std::to_string(i), kKindFile, "\\", "1");
    store.Truncate(4);
    ASSERT_EQ(store.Size(), 4u);
    EXPECT_EQ(store.Name(3), "3");
    store.Truncate(8);
    EXPECT_EQ(store.Size(), 4u);
    store.Clear();
    EXPECT_EQ(store.Size(), 0u);
    EXPECT_EQ(store.FindText("A"), EntryStore::kNoId);
    store.Append("B", "x", kKindFile, "\\", "1");
    EXPECT_EQ(store.Label(0), "B");
}
