#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "catalogue/BulkAllocator.h"

// Finds the id of an interned text by its bytes: one flat open-addressing table of (id, hash) pairs, so
// that a look-up among millions of texts costs a probe and a compare instead of a walk through nodes.
// The texts themselves stay with the caller, who passes them to Find.
class TextIndex {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    // The hash of a text that Find and Insert expect.
    static std::uint32_t Hash(std::string_view text);
    // The id whose text in `texts` equals `text` (with `hash` from Hash), or kNone.
    std::uint32_t Find(std::string_view text, std::uint32_t hash,
                       std::span<const std::string_view> texts) const;
    // Records `id` for a text with this hash; the text must not be in the index yet.
    void Insert(std::uint32_t id, std::uint32_t hash);
    void Clear();
    // Heap bytes held, for the memory benchmark.
    std::size_t MemoryBytes() const { return m_slots.capacity() * sizeof(Slot); }

private:
    struct Slot {
        std::uint32_t id;
        std::uint32_t hash;
    };
    void Grow();

    std::vector<Slot, BulkAllocator<Slot>> m_slots;  // a power of two in size, at most half full
    std::size_t m_count = 0;
};
