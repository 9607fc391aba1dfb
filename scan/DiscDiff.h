#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/Disc.h"
#include "catalogue/EntryStore.h"

// What a new walk of a disc would change in its catalogued entries, headless: the update command shows it
// before it replaces anything.
namespace scan {

// One entry in both: its row in the catalogue and its row in the walk.
struct DiffPair {
    std::size_t old;
    std::size_t now;
    bool operator==(const DiffPair&) const = default;
};

// Entries are matched by folder and name (bytes, as stored). Sizes are compared as byte counts where both
// texts read as one (so "1234" and "1,234" agree), else as texts; times only where both are known, so a
// catalogue written without dates does not show every entry changed. A file in the catalogue and none at
// the new walk's same place, and one new at another place with the same name, size and time, is a move.
struct DiscDiff {
    std::vector<std::size_t> added;    // rows of the walk, in walk order
    std::vector<std::size_t> removed;  // rows of the catalogue, in catalogue order
    std::vector<DiffPair> changed;     // size, time or kind differs; in walk order
    std::vector<DiffPair> moved;       // in catalogue order of the removed file
    std::vector<DiffPair> same;        // found in their place with their kind, size and time; in walk order

    bool Empty() const { return added.empty() && removed.empty() && changed.empty() && moved.empty(); }
};

// Compares the entries of `disc` in `store` with every entry of `walked`. Where one folder holds one name
// more than once (only a damaged or hand-made catalogue does), the first in the catalogue matches the first
// in the walk, and so on. A removed file takes as its move the first added file, in walk order, with its
// name, size and time that no earlier removed file took.
DiscDiff DiffDisc(const EntryStore& store, const catalogue::Disc& disc, const EntryStore& walked);

// True when the two entries' sizes differ, read as DiscDiff says.
bool SizesDiffer(std::string_view a, std::string_view b);
// True when both times are known and differ.
bool TimesDiffer(std::int64_t a, std::int64_t b);

}  // namespace scan
