#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "catalogue/CCDContent.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"
#include "catalogue/FormatSize.h"
#include "scan/DiscDiff.h"
#include "scan/UpdateDisc.h"

namespace {

using scan::DiffPair;
using scan::DiscDiff;
constexpr std::int64_t kUnknown = EntryStore::kUnknownTime;

struct Item {
    std::string path;
    std::string name;
    bool folder = false;
    std::string size;
    std::int64_t time = kUnknown;
};

void AppendItems(EntryStore& store, const std::string& label, const std::vector<Item>& items) {
    for (const Item& item : items) {
        const std::size_t row =
            store.Append(label, item.name, item.folder ? kKindFolder : kKindFile, item.path, item.size);
        if (item.time != kUnknown) store.SetModified(row, item.time);
    }
}

// The obvious comparison: every walked entry against every catalogued one.
DiscDiff SlowDiff(const EntryStore& store, const catalogue::Disc& disc, const EntryStore& walked) {
    const auto sizesDiffer = [](std::string_view a, std::string_view b) {
        const std::optional<std::uint64_t> x = catalogue::ParseSize(a), y = catalogue::ParseSize(b);
        return x && y ? *x != *y : a != b;
    };
    const auto timesDiffer = [](std::int64_t a, std::int64_t b) {
        return a != kUnknown && b != kUnknown && a != b;
    };
    std::vector<std::size_t> olds;
    for (std::size_t row = 0; row < store.Size(); ++row)
        if (disc.Holds(store, row)) olds.push_back(row);
    DiscDiff diff;
    std::vector<bool> oldTaken(olds.size(), false);
    for (std::size_t now = 0; now < walked.Size(); ++now) {
        bool found = false;
        for (std::size_t i = 0; i < olds.size() && !found; ++i) {
            const std::size_t old = olds[i];
            if (oldTaken[i] || store.Path(old) != walked.Path(now) || store.Name(old) != walked.Name(now))
                continue;
            oldTaken[i] = found = true;
            if (store.Kind(old) != walked.Kind(now) ||
                sizesDiffer(store.SizeText(old), walked.SizeText(now)) ||
                timesDiffer(store.Modified(old), walked.Modified(now)))
                diff.changed.push_back({old, now});
        }
        if (!found) diff.added.push_back(now);
    }
    std::vector<bool> addedTaken(diff.added.size(), false);
    for (std::size_t i = 0; i < olds.size(); ++i) {
        if (oldTaken[i]) continue;
        const std::size_t old = olds[i];
        bool moved = false;
        for (std::size_t k = 0; k < diff.added.size() && !moved && store.Kind(old) == kKindFile; ++k) {
            const std::size_t now = diff.added[k];
            if (addedTaken[k] || walked.Kind(now) != kKindFile || walked.Name(now) != store.Name(old) ||
                sizesDiffer(store.SizeText(old), walked.SizeText(now)) ||
                timesDiffer(store.Modified(old), walked.Modified(now)))
                continue;
            addedTaken[k] = moved = true;
            diff.moved.push_back({old, now});
        }
        if (!moved) diff.removed.push_back(old);
    }
    std::vector<std::size_t> added;
    for (std::size_t k = 0; k < diff.added.size(); ++k)
        if (!addedTaken[k]) added.push_back(diff.added[k]);
    diff.added = added;
    return diff;
}

void ExpectSame(const DiscDiff& fast, const DiscDiff& slow) {
    EXPECT_EQ(fast.added, slow.added);
    EXPECT_EQ(fast.removed, slow.removed);
    EXPECT_EQ(fast.changed, slow.changed);
    EXPECT_EQ(fast.moved, slow.moved);
}

TEST(DiscDiff, FindsEachKindOfDifference) {
    EntryStore store;
    AppendItems(store, "OTHER", {{"\\", "A.TXT", false, "1", 5}});
    AppendItems(store, "DISC",
                {{"\\", "DOCS", true, "", 10},
                 {"\\DOCS\\", "SAME.TXT", false, "1,234", 20},
                 {"\\DOCS\\", "BIGGER.TXT", false, "5", 20},
                 {"\\DOCS\\", "NEWER.TXT", false, "5", 20},
                 {"\\DOCS\\", "UNDATED.TXT", false, "5", kUnknown},
                 {"\\DOCS\\", "GONE.TXT", false, "7", 30},
                 {"\\DOCS\\", "MOVED.TXT", false, "8", 40}});
    AppendItems(store, "OTHER", {{"\\", "DOCS", true, "", 10}});
    EntryStore walked;
    AppendItems(walked, "DISC",
                {{"\\", "DOCS", true, "", 10},
                 {"\\DOCS\\", "SAME.TXT", false, "1234", 20},
                 {"\\DOCS\\", "BIGGER.TXT", false, "6", 20},
                 {"\\DOCS\\", "NEWER.TXT", false, "5", 21},
                 {"\\DOCS\\", "UNDATED.TXT", false, "5", 99},
                 {"\\", "MOVED.TXT", false, "8", 40},
                 {"\\", "NEW.TXT", false, "9", 50}});
    const catalogue::Disc disc = catalogue::DiscAt(store, 1);
    const DiscDiff diff = scan::DiffDisc(store, disc, walked);
    EXPECT_EQ(diff.added, (std::vector<std::size_t>{6}));
    EXPECT_EQ(diff.removed, (std::vector<std::size_t>{6}));
    EXPECT_EQ(diff.changed, (std::vector<DiffPair>{{3, 2}, {4, 3}}));
    EXPECT_EQ(diff.moved, (std::vector<DiffPair>{{7, 5}}));
}

TEST(DiscDiff, DescribesEachDifferenceForTheDialog) {
    CKavrelDoc doc;
    AppendItems(doc.EditEntries(), "DISC",
                {{"\\", "A.TXT", false, "1", 5},
                 {"\\", "B.TXT", false, "2", 5},
                 {"\\", "C.TXT", false, "3", 5},
                 {"\\", "D.TXT", false, "4", 5}});
    EntryStore walked;
    AppendItems(walked, "DISC",
                {{"\\", "B.TXT", false, "20", 6},
                 {"\\", "C.TXT", false, "3", 5},
                 {"\\DOCS\\", "D.TXT", false, "4", 5},
                 {"\\", "E.TXT", false, "5", 5}});
    const scan::UpdatePlan plan =
        scan::MakePlan(doc, catalogue::DiscAt(doc.Entries(), 0), "/media", std::move(walked), {});
    const auto lists =
        scan::DescribeDiff(doc.Entries(), plan, [](std::int64_t t) { return "t" + std::to_string(t); });
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"Added (1)", {"\\E.TXT"}},
        {"Removed (1)", {"\\A.TXT"}},
        {"Changed (1)", {"\\B.TXT  size 2 -> 20  modified t5 -> t6"}},
        {"Moved (1)", {"\\D.TXT -> \\DOCS\\D.TXT"}}};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(lists[i].title, expected[i].first);
        EXPECT_EQ(lists[i].lines, expected[i].second);
    }
    EXPECT_EQ(scan::DiffCounts(plan.diff), "1 added, 1 removed, 1 changed, 1 moved");
}

// A generated disc, changed at random, compared both ways; the disc sits between two others in its
// catalogue with a deleted entry among its own.
TEST(DiscDiff, AgreesWithComparingEveryPair) {
    std::mt19937 random(23);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 150; ++round) {
        // Few names, sizes and times, so that moves have rivals and folders hold the same name twice.
        std::vector<std::string> folders = {"\\"};
        std::vector<Item> items;
        const int count = 1 + pick(80);
        for (int i = 0; i < count; ++i) {
            Item item{folders[pick(static_cast<int>(folders.size()))], "N" + std::to_string(pick(6)),
                      pick(5) == 0, "", pick(4) == 0 ? kUnknown : 100 + pick(3)};
            if (item.folder) {
                folders.push_back(item.path + item.name + "\\");
            } else {
                const int bytes = pick(3) * 1000;
                item.size = pick(2) ? catalogue::FormatSize(bytes) : std::to_string(bytes);
            }
            items.push_back(item);
        }
        std::vector<Item> changed = items;
        for (int edits = pick(12); edits > 0; --edits) {
            Item& item = changed[pick(static_cast<int>(changed.size()))];
            switch (pick(6)) {
                case 0:
                    changed.push_back({folders[pick(static_cast<int>(folders.size()))],
                                       "N" + std::to_string(pick(6)), false, "1", 100});
                    break;
                case 1:
                    changed.erase(changed.begin() + pick(static_cast<int>(changed.size())));
                    break;
                case 2:
                    item.size = item.folder ? item.size : std::to_string(pick(3) * 1000 + 1);
                    break;
                case 3:
                    item.time = 100 + pick(3);
                    break;
                case 4:
                    item.path = folders[pick(static_cast<int>(folders.size()))];
                    break;
                default: {  // a folder renamed: its path and those under it
                    const std::string from = folders[pick(static_cast<int>(folders.size()))];
                    if (from == "\\") break;
                    const std::string to = from.substr(0, from.size() - 1) + "R\\";
                    for (Item& other : changed) {
                        if (other.folder && other.path + other.name + "\\" == from) other.name += "R";
                        if (other.path.starts_with(from)) other.path = to + other.path.substr(from.size());
                    }
                }
            }
            if (changed.empty()) changed.push_back({"\\", "N0", false, "0", 100});
        }

        EntryStore store;
        AppendItems(store, "BEFORE", {{"\\", "N0", false, "0", 100}});
        AppendItems(store, "DISC", items);
        if (items.size() > 1) store.Append("", "", "", "", "");  // a deleted entry inside the disc
        AppendItems(store, "DISC", {{"\\", "LAST", false, "0", 100}});
        AppendItems(store, "AFTER", changed);
        EntryStore walked;
        AppendItems(walked, "DISC", changed);
        const catalogue::Disc disc = catalogue::DiscAt(store, 1);
        SCOPED_TRACE(round);
        ExpectSame(scan::DiffDisc(store, disc, walked), SlowDiff(store, disc, walked));
    }
}

}  // namespace
