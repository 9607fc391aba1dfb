#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "catalogue/BulkMemory.h"

// Byte storage whose blocks never move, so string_views into it stay valid until Clear().
class TextArena {
public:
    // Room for `bytes` bytes, for the caller to fill; nullptr for none. Throws std::bad_alloc.
    char* Claim(std::size_t bytes);
    // A stored copy of `text`.
    std::string_view Store(std::string_view text);
    // Frees every block; every view into the arena ends with it.
    void Clear();
    // Bytes the blocks hold up to the last claim: pages past it in the last block are not counted, since
    // bulk blocks take their pages only when touched.
    std::size_t BytesHeld() const { return m_held + m_used; }

private:
    struct BlockFree {
        std::size_t bytes;
        void operator()(char* block) const noexcept { bulk::Free(block, bytes); }
    };
    void AddBlock(std::size_t bytes);

    std::vector<std::unique_ptr<char, BlockFree>> m_blocks;
    std::size_t m_used = 0;      // bytes used in the last block
    std::size_t m_capacity = 0;  // size of the last block
    std::size_t m_held = 0;      // sizes of the blocks before the last
};
