#include "catalogue/TextIndex.h"

#include <functional>

namespace {
constexpr std::size_t kFirstSlots = 64;
}  // namespace

std::uint32_t TextIndex::Hash(std::string_view text) {
    const std::uint64_t h = std::hash<std::string_view>{}(text);
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

std::uint32_t TextIndex::Find(std::string_view text, std::uint32_t hash,
                              std::span<const std::string_view> texts) const {
    if (m_slots.empty()) return kNone;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.id == kNone) return kNone;
        if (slot.hash == hash && texts[slot.id] == text) return slot.id;
    }
}

void TextIndex::Insert(std::uint32_t id, std::uint32_t hash) {
    if (2 * (m_count + 1) > m_slots.size()) Grow();
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].id != kNone) at = (at + 1) & mask;
    m_slots[at] = {id, hash};
    ++m_count;
}

void TextIndex::Clear() {
    m_slots = {};
    m_count = 0;
}

void TextIndex::Grow() {
    std::vector<Slot, BulkAllocator<Slot>> old(m_slots.empty() ? kFirstSlots : 2 * m_slots.size(),
                                               Slot{kNone, 0});
    old.swap(m_slots);
    m_count = 0;
    for (const Slot& slot : old) {
        if (slot.id != kNone) Insert(slot.id, slot.hash);
    }
}
