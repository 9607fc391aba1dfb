#include "catalogue/Disc.h"

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

Disc FirstRun(const EntryStore& store, std::string_view label) {
    return FirstRun(store, label.empty() ? EntryStore::kNoId : store.FindText(label));
}

Disc FirstRun(const EntryStore& store, EntryStore::TextId label) {
    if (label == EntryStore::kNoId || label == kEmptyLabel) return {};
    const std::size_t size = store.Size();
    std::size_t first = 0;
    while (first < size && store.LabelId(first) != label) ++first;
    std::size_t end = first;
    while (end < size && store.LabelId(end) == label) ++end;
    if (first == end) return {};
    return {label, first, end, end - first};
}

Disc NodeDisc(const EntryStore& store, std::size_t node, std::string_view label) {
    const std::vector<Disc> discs = DiscNodes(store);
    if (node < discs.size() && store.Text(discs[node].label) == label) return discs[node];
    return FirstRun(store, label);
}

}  // namespace catalogue
