#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue/BulkAllocator.h"
#include "catalogue/TextArena.h"
#include "catalogue/TextIndex.h"

// The texts that repeat by the million in a catalogue (labels, kinds, paths), each stored once and known by
// a small id: equal texts have equal ids. Every text handed out stays valid until Clear().
class TextTable {
public:
    using TextId = std::uint32_t;  // 0 is always the empty text
    // What Find gives for a text that was never interned.
    static constexpr TextId kNoId = 0xFFFFFFFFu;
    // How many columns keep their own recent ids for InternRecent.
    static constexpr int kColumns = 3;

    // Holds the empty text only.
    TextTable();

    // Forgets every text; ids handed out before mean nothing afterwards.
    void Clear();
    // The id of `text`, stored now when it is new.
    TextId Intern(std::string_view text);
    // Intern for a run of texts from one column (0 to kColumns - 1): the texts that column took last are
    // tried first, so that rows repeating their neighbours' texts cost a compare, not a hash.
    TextId InternRecent(int column, std::string_view text) {
        TextId* recent = m_recent[column];
        int k = 0;
        while (k < kRecent && Text(recent[k]) != text) ++k;
        const TextId id = k < kRecent ? recent[k] : Intern(text);
        std::copy_backward(recent, recent + std::min(k, kRecent - 1), recent + std::min(k, kRecent - 1) + 1);
        recent[0] = id;
        return id;
    }
    // The id of `text`, or kNoId when it was never interned.
    TextId Find(std::string_view text) const;
    // The text of an id this table handed out.
    std::string_view Text(TextId id) const { return m_texts[id]; }

    // Approximate heap bytes held, for the memory benchmark.
    std::size_t MemoryBytes() const;

private:
    TextArena m_pool;
    std::vector<std::string_view, BulkAllocator<std::string_view>> m_texts;  // id -> interned text
    TextIndex m_index;                                                       // interned text -> id
    // Per column, the ids taken last, most recent first: a disc's entries share a label, a walk alternates
    // between two kinds and goes back to the folders above the one it left.
    static constexpr int kRecent = 4;
    TextId m_recent[kColumns][kRecent] = {};
};
