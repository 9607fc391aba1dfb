#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

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

// A store cleared after holding many texts interns afresh whatever comes next: an id remembered from before
// would name a text in memory the store has given back.
TEST(EntryStore, AppendsAfterClearingABigStoreInternAfresh) {
    EntryStore store;
    for (int i = 0; i < 20000; ++i)
        store.Append("LABEL " + std::to_string(i), "n", kKindFile, "\\DIR" + std::to_string(i) + "\\", "1");
    store.Clear();
    store.Append("LABEL 19999", "n", kKindFile, "\\DIR19999\\", "1");
    store.Append("LABEL 19998", "m", kKindFile, "\\DIR19998\\", "1");
    EXPECT_EQ(store.Label(0), "LABEL 19999");
    EXPECT_EQ(store.FindText("LABEL 19999"), store.LabelId(0));
    EXPECT_EQ(store.FindText("\\DIR19998\\"), store.PathId(1));
}

// Append takes the previous row's label, kind and path ids when the texts repeat and hashes otherwise; a
// plain text-to-id table built beside it must agree on every text and on which entries share an id.
TEST(EntryStore, InterningByThePreviousRowMatchesAPlainTable) {
    const std::vector<std::string> labels = {"Disc", "Disc 2", "Disc 20", "", "Disc\xE9", "disc"};
    const std::vector<std::string> kinds = {"file ", "folder ", "file", "", "folder"};
    const std::vector<std::string> paths = {"\\", "\\A\\", "\\A\\B\\", "\\A", "", "\\a\\", "\\A\\B\\C\\"};
    std::mt19937 random(2024);
    const auto pick = [&random](const std::vector<std::string>& texts, std::size_t& current) {
        if (random() % 4 == 0) current = random() % texts.size();  // runs, as discs and folders make them
        return texts[current];
    };
    EntryStore store;
    std::vector<std::array<std::string, 3>> model;
    std::map<std::string, EntryStore::TextId> firstId;
    std::size_t label = 0, kind = 0, path = 0;
    for (int i = 0; i < 20000; ++i) {
        model.push_back({pick(labels, label), pick(kinds, kind), pick(paths, path)});
        store.Append(model.back()[0], "n" + std::to_string(i), model.back()[1], model.back()[2], "1");
        if (random() % 500 == 0) {  // a rename between appends, as the tree makes them
            const std::size_t row = random() % model.size();
            model[row][0] = labels[random() % labels.size()];
            store.SetLabel(row, model[row][0]);
        }
    }
    for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_EQ(store.Label(i), model[i][0]) << i;
        ASSERT_EQ(store.Kind(i), model[i][1]) << i;
        ASSERT_EQ(store.Path(i), model[i][2]) << i;
        ASSERT_EQ(store.FindText(model[i][0]), store.LabelId(i)) << i;
        ASSERT_EQ(store.FindText(model[i][1]), store.KindId(i)) << i;
        const auto [at, added] = firstId.emplace(model[i][0], store.LabelId(i));
        ASSERT_TRUE(added || at->second == store.LabelId(i)) << "two ids for label " << model[i][0];
    }
    std::set<EntryStore::TextId> ids;
    for (const auto& [text, id] : firstId) ids.insert(id);
    EXPECT_EQ(ids.size(), firstId.size()) << "one id for two labels";
}

namespace {

using Texts = std::array<std::string, 5>;

// A name or size text around every length the rows treat apart: empty, short, and either side of the
// 0xFFFF bytes from which the lengths move out of the row.
std::string RandomLength(std::mt19937& random, char fill) {
    static constexpr std::size_t kEdges[] = {0, 1, 7, 254, 255, 0xFFFE, 0xFFFF, 0x10000, 0x12345};
    const std::size_t length = random() % 8 == 0 ? kEdges[random() % std::size(kEdges)] : random() % 30;
    std::string text(length, fill);
    if (length) text[random() % length] = static_cast<char>('a' + random() % 26);
    return text;
}

void ExpectSameTexts(const EntryStore& store, const std::vector<Texts>& model, const std::string& what) {
    ASSERT_EQ(store.Size(), model.size()) << what;
    for (std::size_t i = 0; i < model.size(); ++i) {
        ASSERT_TRUE(store.Label(i) == model[i][0] && store.Name(i) == model[i][1] &&
                    store.Kind(i) == model[i][2] && store.Path(i) == model[i][3] &&
                    store.SizeText(i) == model[i][4])
            << what << ", entry " << i;
        const bool deleted = std::all_of(model[i].begin(), model[i].end(), [](auto& t) { return t.empty(); });
        ASSERT_EQ(store.IsDeleted(i), deleted) << what << ", entry " << i;
    }
}

}  // namespace

// A row keeps short name and size lengths in itself and long ones beside the texts: over generated
// entries and edits, every accessor must give what a plain table of the five texts holds.
TEST(EntryStore, PackedRowsGiveWhatAPlainTableHolds) {
    std::mt19937 random(77);
    EntryStore store;
    std::vector<Texts> model;
    for (int i = 0; i < 3000; ++i) {
        Texts texts{"Disc " + std::to_string(i / 500), RandomLength(random, 'n'), i % 3 ? "file " : "folder ",
                    "\\" + std::to_string(i % 7) + "\\", RandomLength(random, '9')};
        if (random() % 20 == 0) texts = {};
        store.Append(texts[0], texts[1], texts[2], texts[3], texts[4]);
        model.push_back(texts);
        if (random() % 10 == 0) {  // an edit moves a row between the short and the long form
            const std::size_t row = random() % model.size();
            if (random() % 2) {
                model[row][1] = RandomLength(random, 'r');
                store.SetName(row, model[row][1]);
            } else {
                model[row][4] = RandomLength(random, '1');
                store.SetSize(row, model[row][4]);
            }
        }
    }
    ExpectSameTexts(store, model, "appended and edited");
    store.Truncate(1234);
    model.resize(1234);
    ExpectSameTexts(store, model, "truncated");
}

// Times stay with their rows: a store that learns its first time late, grows, and is cut back.
TEST(EntryStore, TimesStayWithTheirRowsAsTheStoreGrowsAndShrinks) {
    EntryStore store;
    for (int i = 0; i < 3; ++i) store.Append("A", "n" + std::to_string(i), "File", "\\", "1");
    EXPECT_FALSE(store.HasDates());
    store.SetModified(1, EntryStore::kUnknownTime);  // an unknown time costs nothing
    EXPECT_FALSE(store.HasDates());
    store.SetModified(2, 1700000000);
    store.Append("A", "n3", "File", "\\", "1");
    store.SetModified(3, -5);  // before 1970 is a time too
    const std::int64_t u = EntryStore::kUnknownTime;
    const std::vector<std::int64_t> expected{u, u, 1700000000, -5};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(store.Modified(i), expected[i]) << i;
    store.Truncate(3);
    store.Append("A", "n3", "File", "\\", "1");
    EXPECT_EQ(store.Modified(3), u) << "a row appended after a cut starts unknown";
    EXPECT_EQ(store.Modified(99), u);
}
