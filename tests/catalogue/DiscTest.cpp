#include <gtest/gtest.h>

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

TEST(FirstRun, ComparesLabelsExactly) {
    const EntryStore store = StoreOf({"Disc", "Disc ", "disc"});
    EXPECT_EQ(catalogue::FirstRun(store, "Disc").entries, 1u);
    EXPECT_EQ(catalogue::FirstRun(store, "DISC").entries, 0u);
    EXPECT_EQ(catalogue::FirstRun(store, "CD Image files").entries, 0u);
    // Texts interned for other columns ("file ", "\\") are no labels, and deleted entries name no disc.
    EXPECT_EQ(catalogue::FirstRun(store, "file ").entries, 0u);
    EXPECT_EQ(catalogue::FirstRun(store, "\\").entries, 0u);
    EXPECT_EQ(catalogue::FirstRun(StoreOf({"", "A"}), "").entries, 0u);
}

// The tree's disc and the contents list's disc differ where a deleted entry lies between two runs of one
// label: the tree shows one node for both runs, the list shows the first run only.
TEST(Discs, ADeletedEntryJoinsTheTreesDiscButEndsTheListedRun) {
    const EntryStore store = StoreOf({"B", "A", "A", "", "A", "C"});
    const std::vector<catalogue::Disc> nodes = catalogue::DiscNodes(store);
    ASSERT_EQ(nodes.size(), 3u);
    const catalogue::Disc& node = nodes[1];
    EXPECT_EQ(store.Text(node.label), "A");
    EXPECT_EQ(node.first, 1u);
    EXPECT_EQ(node.end, 5u);
    EXPECT_EQ(node.entries, 3u);
    EXPECT_TRUE(node.Holds(store, 4));
    EXPECT_FALSE(node.Holds(store, 3)) << "the deleted entry is not the disc's";
    EXPECT_FALSE(node.Holds(store, 5));

    const catalogue::Disc listed = catalogue::FirstRun(store, "A");
    EXPECT_EQ(listed.label, node.label);
    EXPECT_EQ(listed.first, 1u);
    EXPECT_EQ(listed.end, 3u);
    EXPECT_EQ(listed.entries, 2u);
    EXPECT_EQ(catalogue::FirstRun(store, node.label).end, 3u);
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

PlainDisc PlainFirstRun(const EntryStore& store, const std::string& label) {
    PlainDisc disc{label, 0, 0, 0};
    bool matched = false;
    for (std::size_t i = 0; i < store.Size() && !label.empty(); ++i) {
        if (store.Label(i) == label) {
            if (!matched) disc.first = i;
            matched = true;
            disc.end = i + 1;
            ++disc.entries;
        } else if (matched) {
            break;
        }
    }
    return disc;
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

        Texts asked = alphabet;
        asked.push_back("missing");
        for (const std::string& label : asked) {
            const catalogue::Disc run = catalogue::FirstRun(store, label);
            const PlainDisc plain = PlainFirstRun(store, label);
            ASSERT_EQ(run.entries, plain.entries) << "round " << round << ", label '" << label << "'";
            if (plain.entries == 0) continue;
            EXPECT_EQ(run.first, plain.first) << "round " << round << ", label '" << label << "'";
            EXPECT_EQ(run.end, plain.end) << "round " << round << ", label '" << label << "'";
            EXPECT_EQ(store.Text(run.label), label);
        }
    }
}

// A node stands for the disc the tree built at its place; once edits have moved the catalogue on, for the
// first run of its text, as the contents list shows it.
TEST(NodeDisc, IsTheDiscBuiltAtItsPlaceElseTheFirstRun) {
    const EntryStore store = StoreOf({"A", "A", "B", "A", "", "A"});
    const struct {
        std::size_t node;
        const char* label;
        std::size_t first, end, entries;
    } cases[] = {
        {0, "A", 0, 2, 2}, {1, "B", 2, 3, 1},
        {2, "A", 3, 6, 2},  // the second "A" node: a deleted entry does not split it
        {1, "A", 0, 2, 2},  // renamed in the tree since the build: the first run of its text
        {3, "A", 0, 2, 2},  // past the built nodes (a disc added since)
        {0, "C", 0, 0, 0},  // a text no entry carries
    };
    for (const auto& c : cases) {
        const catalogue::Disc disc = catalogue::NodeDisc(store, c.node, c.label);
        EXPECT_EQ(disc.first, c.first) << c.node << c.label;
        EXPECT_EQ(disc.end, c.end) << c.node << c.label;
        EXPECT_EQ(disc.entries, c.entries) << c.node << c.label;
    }
}

}  // namespace
