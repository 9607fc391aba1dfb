#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "StoreRows.h"
#include "catalogue/CKavrelDoc.h"
#include "catalogue/Disc.h"
#include "catalogue/DiscEdits.h"
#include "catalogue/FileSum.h"

namespace {

using catalogue::Disc;
using catalogue::DiscRecord;

struct Catalogue {
    std::vector<Row> rows;
    std::vector<std::int64_t> times;
    std::vector<std::string> sums;  // the checksum's hex digits, or the read error's reason
    std::map<std::size_t, DiscRecord> records;
};

std::string SumOfRow(const EntryStore& store, std::size_t i) {
    return catalogue::SumText(store.Sum(i)) + std::string(store.ReadError(i));
}

Catalogue Contents(const CKavrelDoc& doc) {
    const EntryStore& store = doc.Entries();
    Catalogue c{Rows(store), {}, {}, doc.DiscRecords().All()};
    for (std::size_t i = 0; i < store.Size(); ++i) {
        c.times.push_back(store.Modified(i));
        c.sums.push_back(SumOfRow(store, i));
    }
    return c;
}

// The obvious replace: the catalogue written out again row by row.
Catalogue SlowReplace(const Catalogue& before, const Disc& disc, const std::string& label,
                      const EntryStore& walked, DiscRecord record) {
    Catalogue after;
    const auto copy = [&](std::size_t row) {
        after.rows.push_back(before.rows[row]);
        after.times.push_back(before.times[row]);
        after.sums.push_back(before.sums[row]);
    };
    for (std::size_t row = 0; row < disc.first; ++row) copy(row);
    for (std::size_t i = 0; i < walked.Size(); ++i) {
        after.rows.emplace_back(label, walked.Name(i), walked.Kind(i), walked.Path(i), walked.SizeText(i));
        after.times.push_back(walked.Modified(i));
        after.sums.push_back(SumOfRow(walked, i));
    }
    for (std::size_t row = disc.first; row < disc.end; ++row)
        if (std::get<0>(before.rows[row]).empty() && before.rows[row] != Row{}) copy(row);
    const std::size_t newEnd = after.rows.size();
    for (std::size_t row = disc.end; row < before.rows.size(); ++row) copy(row);
    for (const auto& [row, kept] : before.records) {
        if (row == disc.first) {
            record.location = kept.location;
            record.notes = kept.notes;
        }
        if (row < disc.first) after.records[row] = kept;
        if (row >= disc.end) after.records[row - disc.end + newEnd] = kept;
    }
    after.records[disc.first] = record;
    return after;
}

// Generated catalogues of discs with deleted and unlabelled rows among their entries, discs of one label side
// by side, records and times on some; one disc at a time replaced by a generated walk, compared with
// writing the catalogue out again.
TEST(ReplaceDisc, AgreesWithRewritingTheCatalogue) {
    std::mt19937 random(2323);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto fill = [&](EntryStore& store, std::size_t row) {
        store.SetName(row, "N" + std::to_string(pick(50)));
        store.SetKind(row, pick(4) ? kKindFile : kKindFolder);
        store.SetPath(row, pick(2) ? "\\" : "\\D" + std::to_string(pick(5)) + "\\");
        store.SetSize(row, std::to_string(pick(100000)));
    };
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        CKavrelDoc doc;
        EntryStore& store = doc.EditEntries();
        const bool dated = pick(3) != 0;
        for (int discs = 1 + pick(6); discs > 0; --discs) {
            const std::string label = "L" + std::to_string(pick(4));
            const std::size_t first = store.Size();
            for (int entries = 1 + pick(20); entries > 0; --entries) {
                const std::size_t row = store.Append(label, {}, {}, {}, {});
                fill(store, row);
                if (row > first && pick(8) == 0) store.SetLabel(row, pick(2) ? "" : label);
                if (row > first && pick(8) == 0) store.Append("", "", "", "", "");
                if (dated && pick(3)) store.SetModified(row, pick(1000));
                if (pick(5) == 0) store.SetSum(row, catalogue::SumOf(std::to_string(pick(1000))));
                if (pick(9) == 0) store.SetUnreadable(row, "R" + std::to_string(row));
            }
            if (pick(2)) {
                DiscRecord kept;
                kept.source = "S" + std::to_string(first);
                kept.notes = "n";
                doc.EditDiscRecords().Set(first, kept);
            }
        }
        const std::vector<Disc> discs = catalogue::DiscNodes(doc.Entries());
        const Disc disc = discs[static_cast<std::size_t>(pick(static_cast<int>(discs.size())))];
        EntryStore walked;
        for (int entries = 1 + pick(30); entries > 0; --entries) {
            const std::size_t row = walked.Append("WALK", {}, {}, {}, {});
            fill(walked, row);
            if (pick(4)) walked.SetModified(row, pick(1000));
            if (pick(3) == 0) walked.SetSum(row, catalogue::SumOf(std::to_string(pick(1000))));
            if (pick(7) == 0) walked.SetUnreadable(row, "W" + std::to_string(row));
        }
        DiscRecord record;
        record.catalogued = 1234;
        record.source = "/media/disc";
        record.location = "ignored";
        const std::string label(doc.Entries().Text(disc.label));
        const Catalogue expected = SlowReplace(Contents(doc), disc, label, walked, record);
        doc.SetModifiedFlag(false);

        const Disc now = catalogue::ReplaceDisc(doc, disc, walked, record);
        const Catalogue actual = Contents(doc);
        EXPECT_EQ(actual.rows, expected.rows);
        EXPECT_EQ(actual.times, expected.times);
        EXPECT_EQ(actual.sums, expected.sums);
        EXPECT_EQ(actual.records, expected.records);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(now.first, disc.first);
        EXPECT_EQ(now.entries, walked.Size());
    }
}

TEST(ReplaceDisc, ChangesNothingForAnEmptyWalk) {
    CKavrelDoc doc;
    doc.AppendEntry("DISC", "A", kKindFile, "\\", "1");
    doc.SetModifiedFlag(false);
    EXPECT_EQ(catalogue::ReplaceDisc(doc, catalogue::DiscAt(doc.Entries(), 0), EntryStore(), {}).entries, 0u);
    EXPECT_EQ(Rows(doc.Entries()), (std::vector<Row>{{"DISC", "A", std::string(kKindFile), "\\", "1"}}));
    EXPECT_FALSE(doc.IsModified());
}

}  // namespace
