#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

namespace {

using Texts = std::vector<std::string>;

// A store with one entry per label; "" stands for a deleted entry.
EntryStore StoreOf(const Texts& labels) {
    EntryStore store;
    for (const std::string& label : labels) {
        if (label.empty())
            store.Append("", "", "", "", "");
        else
            store.Append(label, "N", "file ", "\\", "1");
    }
    return store;
}

Texts NodeLabels(const Texts& labels) {
    const EntryStore store = StoreOf(labels);
    Texts out;
    for (const catalogue::Disc& disc : catalogue::DiscNodes(store)) out.emplace_back(store.Text(disc.label));
    return out;
}

TEST(DiscNodes, StartAtEveryChangeOfNonEmptyLabel) {
    EXPECT_EQ(NodeLabels({}), Texts{});
    EXPECT_EQ(NodeLabels({"A", "A", "B", "B"}), (Texts{"A", "B"}));
    EXPECT_EQ(NodeLabels({"A", "B", "A"}), (Texts{"A", "B", "A"}));
    EXPECT_EQ(NodeLabels({"A", "", "A"}), (Texts{"A"}));
    EXPECT_EQ(NodeLabels({"", "", "B"}), (Texts{"B"}));
    EXPECT_EQ(NodeLabels({"", ""}), Texts{});
}

TEST(DiscNodes, CompareLabelsByteForByte) {
    EXPECT_EQ(NodeLabels({"a", "A", "A ", "A"}), (Texts{"a", "A", "A ", "A"}));
    EXPECT_EQ(NodeLabels({"Disc:\\1", "Disc:\\1"}), (Texts{"Disc:\\1"}));
}

TEST(FirstDisc, ComparesLabelsExactly) {
    const EntryStore store = StoreOf({"Disc", "Disc ", "disc"});
    EXPECT_EQ(catalogue::FirstDisc(store, "Disc").entries, 1u);
    EXPECT_EQ(catalogue::FirstDisc(store, "DISC").entries, 0u);
    EXPECT_EQ(catalogue::FirstDisc(store, "CD Image files").entries, 0u);
    // Texts interned for other columns ("file ", "\\") are no labels, and deleted entries name no disc.
    EXPECT_EQ(catalogue::FirstDisc(store, "file ").entries, 0u);
    EXPECT_EQ(catalogue::FirstDisc(store, "\\").entries, 0u);
    EXPECT_EQ(catalogue::FirstDisc(StoreOf({"", "A"}), "").entries, 0u);
}

// Labels the program proposes never name a disc already there, nor one proposed before in the same batch.
TEST(UniqueLabel, AddsTheFirstFreeNumber) {
    const EntryStore store = StoreOf({"CDROM", "CDROM (2)", "", "DVD"});
    const struct {
        const char* proposed;
        std::vector<std::string> taken;
        const char* expected;
    } cases[] = {
        {"NEW", {}, "NEW"},
        {"CDROM", {}, "CDROM (3)"},
        {"DVD", {}, "DVD (2)"},
        {"DVD", {"DVD (2)"}, "DVD (3)"},  // the batch took the next one
        {"SOLO", {"SOLO"}, "SOLO (2)"},   // the same label twice in one batch
        {"cdrom", {}, "cdrom"},           // labels are exact bytes
        {"file ", {}, "file "},           // a kind text is no disc
        {"", {}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(catalogue::UniqueLabel(store, c.proposed, c.taken), c.expected) << c.proposed;
}

// A disc named by a row or by its label is the tree's disc: deleted entries between its own do not split it.
TEST(DiscFor, IsTheTreesDiscOfTheRowElseTheFirstWithTheLabel) {
    const EntryStore store = StoreOf({"A", "A", "B", "A", "", "A"});
    const struct {
        std::size_t row;
        const char* label;
        std::size_t first, end, entries;
    } cases[] = {
        {0, "A", 0, 2, 2},
        {1, "A", 0, 2, 2},
        {2, "B", 2, 3, 1},
        {5, "A", 3, 6, 2},  // the second "A": a deleted entry does not split it
        {catalogue::kAnyDisc, "A", 0, 2, 2},
        {2, "A", 0, 0, 0},  // a row of another disc names nothing
        {4, "A", 0, 0, 0},  // a deleted row names nothing
        {9, "A", 0, 0, 0},
        {catalogue::kAnyDisc, "C", 0, 0, 0},
    };
    for (const auto& c : cases) {
        const catalogue::Disc disc = catalogue::DiscFor(store, c.row, c.label);
        EXPECT_EQ(disc.entries, c.entries) << c.row << c.label;
        if (c.entries == 0) continue;
        EXPECT_EQ(disc.first, c.first) << c.row << c.label;
        EXPECT_EQ(disc.end, c.end) << c.row << c.label;
    }
    EXPECT_EQ(catalogue::DiscsLabelled(store, "A").size(), 2u);
}

// The rules as the older program wrote them, by comparing label texts entry by entry.
struct PlainDisc {
    std::string label;
    std::size_t first;
    std::size_t end;
    std::size_t entries;
    bool operator==(const PlainDisc&) const = default;
};

std::vector<PlainDisc> PlainNodes(const EntryStore& store) {
    std::vector<PlainDisc> discs;
    std::string previous;
    for (std::size_t i = 0; i < store.Size(); ++i) {
        const std::string label(store.Label(i));
        if (label.empty()) continue;
        if (label != previous) {
            previous = label;
            discs.push_back({label, i, i, 0});
        }
        discs.back().end = i + 1;
        ++discs.back().entries;
    }
    return discs;
}

TEST(Discs, Seed20261213Cases2000MatchThePlainTextComparison) {
    // Labels that are also kinds and paths share their interned ids; relabelling interns new ones late.
    const Texts alphabet = {"", "A", "B", "a", "A ", "file ", "\\", "folder ", "Holiday 2024"};
    std::mt19937 random(20261213);
    for (int round = 0; round < 2000; ++round) {
        EntryStore store;
        const int size = static_cast<int>(random() % 24);
        for (int i = 0; i < size; ++i) {
            const std::string& label = alphabet[random() % alphabet.size()];
            if (label.empty() && random() % 2 == 0)
                store.Append("", "", "", "", "");
            else
                store.Append(label, "N" + std::to_string(i), random() % 2 ? "file " : "folder ", "\\", "1");
        }
        for (int edit = 0; size > 0 && edit < 3; ++edit)
            store.SetLabel(random() % static_cast<unsigned>(size), alphabet[random() % alphabet.size()]);

        std::vector<PlainDisc> fast;
        for (const catalogue::Disc& disc : catalogue::DiscNodes(store))
            fast.push_back({std::string(store.Text(disc.label)), disc.first, disc.end, disc.entries});
        ASSERT_EQ(fast, PlainNodes(store)) << "round " << round;

        // DiscAt reads only around the row: it must agree with the node the whole scan puts it in.
        const std::vector<PlainDisc> plain = PlainNodes(store);
        for (std::size_t row = 0; row <= store.Size(); ++row) {
            const catalogue::Disc at = catalogue::DiscAt(store, row);
            const auto holder = std::find_if(plain.begin(), plain.end(), [&](const PlainDisc& d) {
                return row >= d.first && row < d.end && store.Label(row) == d.label;
            });
            if (holder == plain.end()) {
                EXPECT_EQ(at.entries, 0u) << "round " << round << ", row " << row;
                continue;
            }
            const PlainDisc found{std::string(store.Text(at.label)), at.first, at.end, at.entries};
            EXPECT_EQ(found, *holder) << "round " << round << ", row " << row;
        }
    }
}

}  // namespace
