#include "lists/DiscRun.h"

DiscRun FindDiscRun(const EntryStore& store, std::string_view label) {
    // Labels are interned, so the scan compares ids instead of texts.
    const EntryStore::TextId id = store.FindText(label);
    if (id == EntryStore::kNoId) return {};
    const std::size_t size = store.Size();
    std::size_t first = 0;
    while (first < size && store.LabelId(first) != id) ++first;
    std::size_t end = first;
    while (end < size && store.LabelId(end) == id) ++end;
    return {first, end - first};
}
