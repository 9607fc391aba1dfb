#include "catalogue/Disc.h"

#include <algorithm>

namespace catalogue {

namespace {
// Interned id 0 is always the empty text.
constexpr EntryStore::TextId kEmptyLabel = 0;
}  // namespace

std::vector<Disc> DiscNodes(const EntryStore& store) {
    std::vector<Disc> discs;
    const std::size_t size = store.Size();
    for (std::size_t i = 0; i < size; ++i) {
        const EntryStore::TextId id = store.LabelId(i);
        if (id == kEmptyLabel) continue;
        if (discs.empty() || discs.back().label != id) discs.push_back({id, i, i, 0});
        Disc& disc = discs.back();
        disc.end = i + 1;
        ++disc.entries;
    }
    return discs;
}

Disc DiscAt(const EntryStore& store, std::size_t row) {
    if (row >= store.Size()) return {};
    const EntryStore::TextId id = store.LabelId(row);
    if (id == kEmptyLabel) return {};
    Disc disc{id, row, row + 1, 1};
    // Deleted entries never split a disc: look past them for more of its entries on either side.
    for (std::size_t i = row; i-- > 0;) {
        const EntryStore::TextId other = store.LabelId(i);
        if (other == kEmptyLabel) continue;
        if (other != id) break;
        disc.first = i;
        ++disc.entries;
    }
    for (std::size_t i = row + 1; i < store.Size(); ++i) {
        const EntryStore::TextId other = store.LabelId(i);
        if (other == kEmptyLabel) continue;
        if (other != id) break;
        disc.end = i + 1;
        ++disc.entries;
    }
    return disc;
}

std::vector<Disc> DiscsLabelled(const EntryStore& store, std::string_view label) {
    const EntryStore::TextId id = label.empty() ? EntryStore::kNoId : store.FindText(label);
    std::vector<Disc> discs;
    if (id == EntryStore::kNoId) return discs;
    for (const Disc& disc : DiscNodes(store)) {
        if (disc.label == id) discs.push_back(disc);
    }
    return discs;
}

Disc FirstDisc(const EntryStore& store, std::string_view label) {
    const EntryStore::TextId id = label.empty() ? EntryStore::kNoId : store.FindText(label);
    if (id == EntryStore::kNoId) return {};
    for (std::size_t i = 0; i < store.Size(); ++i) {
        if (store.LabelId(i) == id) return DiscAt(store, i);
    }
    return {};
}

Disc DiscFor(const EntryStore& store, std::size_t row, std::string_view label) {
    if (row == kAnyDisc) return FirstDisc(store, label);
    const Disc disc = DiscAt(store, row);
    if (disc.entries == 0 || store.Text(disc.label) != label) return {};
    return disc;
}

std::string UniqueLabel(const EntryStore& store, std::string_view proposed,
                        const std::vector<std::string>& taken) {
    const auto free = [&](const std::string& label) {
        // A text interned for another column (a name, a path) is no disc: look for an entry carrying it.
        return FirstDisc(store, label).entries == 0 &&
               std::find(taken.begin(), taken.end(), label) == taken.end();
    };
    std::string label(proposed);
    for (unsigned n = 2; !label.empty() && !free(label); ++n)
        label = std::string(proposed) + " (" + std::to_string(n) + ")";
    return label;
}

}  // namespace catalogue
