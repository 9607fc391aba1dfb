#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "SlowFold.h"
#include "catalogue/CCDContent.h"
#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FileSum.h"
#include "catalogue/FormatSize.h"
#include "search/Duplicates.h"

namespace {

struct Row {
    std::string label;  // "" for a deleted entry
    std::string name;
    std::string kind;
    std::string size;
};

EntryStore StoreOf(const std::vector<Row>& rows) {
    EntryStore store;
    for (const Row& row : rows) {
        if (row.label.empty())
            store.Append("", "", "", "", "");
        else
            store.Append(row.label, row.name, row.kind, "\\" + row.label + "\\", row.size);
    }
    return store;
}

// Each group as its size and rows, in the order found.
using Groups = std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>>;

Groups GroupsOf(const search::Duplicates& found) {
    Groups groups;
    for (const search::Duplicates::Group& group : found.groups) {
        const auto copies = found.Copies(group);
        groups.emplace_back(group.bytes, std::vector<std::size_t>(copies.begin(), copies.end()));
    }
    return groups;
}

const std::string kFile(kKindFile);
const std::string kFolder(kKindFolder);

TEST(Duplicates, AreTheSameFoldedNameAndSizeOnMoreThanOneDisc) {
    const struct {
        const char* why;
        std::vector<Row> rows;
        std::uint64_t minBytes;
        Groups groups;
    } cases[] = {
        {"three discs",
         {{"A", "photo.jpg", kFile, "1,000"},
          {"B", "photo.jpg", kFile, "1,000"},
          {"C", "photo.jpg", kFile, "1,000"}},
         0,
         {{1000, {0, 1, 2}}}},
        {"on one disc only", {{"A", "photo.jpg", kFile, "1,000"}, {"A", "photo.jpg", kFile, "1,000"}}, 0, {}},
        {"different sizes", {{"A", "x", kFile, "1,000"}, {"B", "x", kFile, "1,001"}}, 0, {}},
        {"the same size written two ways",
         {{"A", "x", kFile, "1,000"}, {"B", "x", kFile, "1000"}},
         0,
         {{1000, {0, 1}}}},
        {"a deleted disc holds no copies",
         {{"A", "x", kFile, "5"}, {"", "", "", ""}, {"", "", "", ""}},
         0,
         {}},
        {"deleted entries between copies",
         {{"A", "x", kFile, "5"}, {"", "", "", ""}, {"B", "x", kFile, "5"}, {"", "", "", ""}},
         0,
         {{5, {0, 2}}}},
        {"folders are not files", {{"A", "DOCS", kFolder, "0"}, {"B", "DOCS", kFolder, "0"}}, 0, {}},
        {"letter case folds, as the search folds it",
         {{"A", "Photo.JPG", kFile, "7"},
          {"B", "photo.jpg", kFile, "7"},
          {"C", "\xC3\x89T\xC3\x89", kFile, "7"},
          {"D", "\xC3\xA9t\xC3\xA9", kFile, "7"}},
         0,
         {{7, {0, 1}}, {7, {2, 3}}}},
        {"Windows-1252 names fold their ASCII letters only",
         {{"A", "\xC9T\xC9", kFile, "7"}, {"B", "\xE9t\xE9", kFile, "7"}, {"C", "\xC9t\xC9", kFile, "7"}},
         0,
         {{7, {0, 2}}}},
        {"two nodes with one label are two discs",
         {{"A", "x", kFile, "5"}, {"B", "y", kFile, "5"}, {"A", "x", kFile, "5"}},
         0,
         {{5, {0, 2}}}},
        {"a second copy on one disc comes along",
         {{"A", "x", kFile, "5"}, {"A", "x", kFile, "5"}, {"B", "x", kFile, "5"}},
         0,
         {{5, {0, 1, 2}}}},
        {"sizes that are not numbers are never the same",
         {{"A", "x", kFile, "12 KB"}, {"B", "x", kFile, "12 KB"}},
         0,
         {}},
        {"biggest first, then by name",
         {{"A", "b", kFile, "1"},
          {"A", "a", kFile, "1"},
          {"A", "z", kFile, "9"},
          {"B", "z", kFile, "9"},
          {"B", "a", kFile, "1"},
          {"B", "b", kFile, "1"}},
         0,
         {{9, {2, 3}}, {1, {1, 4}}, {1, {0, 5}}}},
        {"at least the smallest size asked for",
         {{"A", "small", kFile, "99"},
          {"B", "small", kFile, "99"},
          {"A", "big", kFile, "100"},
          {"B", "big", kFile, "100"}},
         100,
         {{100, {2, 3}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(GroupsOf(search::FindDuplicates(StoreOf(c.rows), c.minBytes)), c.groups);
    }
}

// The obvious grouping: every pair of files compared by their slowly folded names and their sizes; groups
// kept when their copies lie on two discs; ordered by size, then name.
Groups SlowDuplicates(const EntryStore& store, std::uint64_t minBytes) {
    std::vector<std::size_t> discOf(store.Size(), SIZE_MAX);
    const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(store);
    for (std::size_t d = 0; d < discs.size(); ++d)
        for (std::size_t row = 0; row < store.Size(); ++row)
            if (discs[d].Holds(store, row)) discOf[row] = d;
    std::vector<std::size_t> files;
    for (std::size_t row = 0; row < store.Size(); ++row) {
        const auto bytes = catalogue::ParseSize(store.SizeText(row));
        if (discOf[row] != SIZE_MAX && store.Kind(row) != kKindFolder && bytes && *bytes >= minBytes)
            files.push_back(row);
    }
    std::vector<std::size_t> group(store.Size());
    std::iota(group.begin(), group.end(), 0);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (SlowFold(store.Name(files[i])) == SlowFold(store.Name(files[j])) &&
                catalogue::ParseSize(store.SizeText(files[i])) ==
                    catalogue::ParseSize(store.SizeText(files[j])))
                group[files[i]] = group[files[j]];
    std::map<std::size_t, std::vector<std::size_t>> members;
    for (const std::size_t row : files) members[group[row]].push_back(row);
    std::vector<std::tuple<std::uint64_t, std::string, std::vector<std::size_t>>> found;
    for (const auto& [first, rows] : members) {
        const bool severalDiscs = std::any_of(rows.begin(), rows.end(),
                                              [&](std::size_t r) { return discOf[r] != discOf[rows[0]]; });
        if (severalDiscs)
            found.emplace_back(*catalogue::ParseSize(store.SizeText(first)), SlowFold(store.Name(first)),
                               rows);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (std::get<0>(a) != std::get<0>(b)) return std::get<0>(a) > std::get<0>(b);
        return std::get<1>(a) < std::get<1>(b);
    });
    Groups groups;
    for (const auto& [bytes, name, rows] : found) groups.emplace_back(bytes, rows);
    return groups;
}

TEST(Duplicates, Seed1515Catalogues400AgreeWithComparingEveryPair) {
    std::mt19937 random(1515);
    const auto pick = [&random](const std::vector<std::string>& choices) {
        return choices[random() % choices.size()];
    };
    // Names that fold together in every way the search knows: ASCII case, letters beyond ASCII, the Kelvin
    // sign and the dotted capital I (which fold to ASCII), and Windows-1252 bytes (which fold only ASCII).
    const std::vector<std::string> names = {"readme.txt",
                                            "README.TXT",
                                            "ReadMe.txt",
                                            "\xC3\xA9t\xC3\xA9",
                                            "\xC3\x89T\xC3\x89",
                                            "\xE9t\xE9",
                                            "\xC9T\xC9",
                                            "\xC9t\xC9",
                                            "\xE2\x84\xAA",
                                            "k",
                                            "K",
                                            "\xC4\xB0",
                                            "i",
                                            "x",
                                            ""};
    const std::vector<std::string> sizes = {"0", "1", "1", "1,024", "1024", "12 KB", "", "4,294,967,296"};
    const std::vector<std::string> labels = {"A", "B", "C", "a", ""};
    for (int catalogue = 0; catalogue < 400; ++catalogue) {
        std::vector<Row> rows;
        const std::size_t count = random() % 60;
        std::string label = pick(labels);
        for (std::size_t i = 0; i < count; ++i) {
            if (random() % 6 == 0) label = pick(labels);
            const std::string kind = random() % 5 == 0 ? kFolder : random() % 10 == 0 ? "link " : kFile;
            rows.push_back({label, pick(names), kind, pick(sizes)});
        }
        const std::uint64_t minBytes = std::vector<std::uint64_t>{0, 1, 1024}[random() % 3];
        const EntryStore store = StoreOf(rows);
        ASSERT_EQ(GroupsOf(search::FindDuplicates(store, minBytes)), SlowDuplicates(store, minBytes))
            << "catalogue " << catalogue;
    }
}

}  // namespace

// Generated catalogues with few distinct contents, some files unread or unreadable, some deleted, discs of
// one label side by side: content groups compared with grouping every file by size and checksum in a map.
TEST(Duplicates, ByContentAgreeWithGroupingEveryFileInAMap) {
    std::mt19937 random(2324);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 300; ++round) {
        EntryStore store;
        for (int discs = 1 + pick(5); discs > 0; --discs) {
            const std::string label = "L" + std::to_string(pick(3));
            for (int files = 1 + pick(12); files > 0; --files) {
                const int content = pick(6);
                const std::size_t row =
                    store.Append(label, "N" + std::to_string(pick(30)), pick(8) ? kKindFile : kKindFolder,
                                 "\\", catalogue::FormatSize(content % 3 * 100));
                const int state = pick(6);
                if (state == 0) store.SetUnreadable(row, "no");
                if (state > 1) store.SetSum(row, catalogue::SumOf(std::to_string(content)));
                if (pick(10) == 0) store.Append("", "", "", "", "");
            }
        }
        const std::uint64_t minBytes = pick(2) ? 0 : 100;
        // The obvious grouping: every file keyed by its size and checksum.
        const std::vector<catalogue::Disc> discs = catalogue::DiscNodes(store);
        std::map<std::pair<std::uint64_t, std::string>, std::vector<std::pair<std::size_t, std::size_t>>>
            byKey;
        for (std::size_t d = 0; d < discs.size(); ++d) {
            for (std::size_t row = discs[d].first; row < discs[d].end; ++row) {
                if (!discs[d].Holds(store, row) || store.Kind(row) != kKindFile ||
                    store.Sum(row).state != EntryStore::SumState::Known)
                    continue;
                const std::uint64_t bytes = *catalogue::ParseSize(store.SizeText(row));
                if (bytes >= minBytes) byKey[{bytes, catalogue::SumText(store.Sum(row))}].push_back({row, d});
            }
        }
        std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>> expected;
        for (auto key = byKey.rbegin(); key != byKey.rend(); ++key) {
            const auto& copies = key->second;
            if (std::all_of(copies.begin(), copies.end(),
                            [&](const auto& c) { return c.second == copies[0].second; }))
                continue;
            std::vector<std::size_t> rows;
            for (const auto& copy : copies) rows.push_back(copy.first);
            expected.push_back({key->first.first, rows});
        }
        // Biggest first, then by checksum: the map's reverse order puts checksums backwards within a size.
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        const search::Duplicates found = search::FindContentDuplicates(store, minBytes);
        std::vector<std::pair<std::uint64_t, std::vector<std::size_t>>> actual;
        for (const auto& group : found.groups) {
            const auto copies = found.Copies(group);
            actual.push_back({group.bytes, {copies.begin(), copies.end()}});
        }
        auto bySum = [](auto list) {
            std::sort(list.begin(), list.end());
            return list;
        };
        ASSERT_EQ(bySum(actual), bySum(expected)) << "round " << round;
        for (std::size_t g = 1; g < actual.size(); ++g) ASSERT_GE(actual[g - 1].first, actual[g].first);
    }
}
