#include "catalogue/TextArena.h"

#include <algorithm>
#include <cstring>

#include "platform/Tuning.h"

namespace {
constexpr std::size_t kFirstBlockSize = tuning::kFirstTextBlock;
constexpr std::size_t kLargestBlockSize = tuning::kLargestTextBlock;
}  // namespace

void TextArena::AddBlock(std::size_t bytes) {
    // The vector's room comes first: a block must never be allocated and then lost to a failed push.
    m_blocks.reserve(m_blocks.size() + 1);
    m_blocks.emplace_back(static_cast<char*>(bulk::Allocate(bytes)), BlockFree{bytes});
    m_held += m_capacity;
    m_capacity = bytes;
    m_used = 0;
}

char* TextArena::Claim(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    if (m_blocks.empty() || m_capacity - m_used < bytes) {
        const std::size_t grown = m_capacity ? std::min(m_capacity * 2, kLargestBlockSize) : kFirstBlockSize;
        AddBlock(std::max(grown, bytes));
    }
    char* at = m_blocks.back().get() + m_used;
    m_used += bytes;
    return at;
}

std::string_view TextArena::Store(std::string_view text) {
    char* at = Claim(text.size());
    if (at) std::memcpy(at, text.data(), text.size());
    return {at, text.size()};
}

void TextArena::Clear() {
    m_blocks.clear();
    m_used = m_capacity = m_held = 0;
}
