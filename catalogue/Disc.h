#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/EntryStore.h"

// Which entries make a disc. A disc is named by its label and its entries lie together in the catalogue,
// as one walk appended them; labels are compared as interned ids, never as texts.
namespace catalogue {

// One disc: the rows [first, end) of the entry store, from its first entry to its last. A row in the range
// whose label is not `label` (a deleted entry between two of its entries) is not the disc's.
struct Disc {
    EntryStore::TextId label = EntryStore::kNoId;
    std::size_t first = 0;
    std::size_t end = 0;
    std::size_t entries = 0;  // the rows in the range that carry the label

    // True when row `row` of `store` is one of the disc's entries.
    bool Holds(const EntryStore& store, std::size_t row) const {
        return row >= first && row < end && store.LabelId(row) == label;
    }
};

// The discs as the tree shows them, one per node under the catalogue root, in catalogue order: a disc
// starts at every non-empty label that differs from the last non-empty label before it, so entries
// without a label never split a disc, and the same label apart from itself gives two discs.
std::vector<Disc> DiscNodes(const EntryStore& store);

// The disc, as the tree finds it, that holds row `row`: the disc a node stands for, named by any of its
// entries (the tree keeps the first). No entries when the row is out of range or deleted. Reads only the
// disc's own rows and the deleted ones around them, not the whole catalogue.
Disc DiscAt(const EntryStore& store, std::size_t row);

// The discs, as the tree finds them, that carry `label`, in catalogue order.
std::vector<Disc> DiscsLabelled(const EntryStore& store, std::string_view label);

// The disc a label names where no node says which: the first disc carrying it, as the tree finds them.
Disc FirstDisc(const EntryStore& store, std::string_view label);

// A row that names no disc in particular: the label alone says which (its first disc).
inline constexpr std::size_t kAnyDisc = static_cast<std::size_t>(-1);

// The disc a node or a pick stands for: the one holding `row` when it carries `label` (a stale row names
// nothing), or with kAnyDisc the first disc carrying `label`.
Disc DiscFor(const EntryStore& store, std::size_t row, std::string_view label);

// A label for a new disc that no disc of the catalogue and none of `taken` carries: `proposed` itself when
// it is free, else "proposed (2)", "proposed (3)", ... An empty proposal stays empty (it names no disc).
std::string UniqueLabel(const EntryStore& store, std::string_view proposed,
                        const std::vector<std::string>& taken = {});

}  // namespace catalogue
