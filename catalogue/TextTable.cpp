#include "catalogue/TextTable.h"

#include <iterator>

TextTable::TextTable() {
    Clear();
}

void TextTable::Clear() {
    m_pool.Clear();
    m_texts.assign(1, std::string_view{});
    m_index.Clear();
    m_index.Insert(0, TextIndex::Hash({}));
    for (auto& recent : m_recent) std::fill(std::begin(recent), std::end(recent), 0);
}

TextTable::TextId TextTable::Intern(std::string_view text) {
    if (text.empty()) return 0;
    const std::uint32_t hash = TextIndex::Hash(text);
    if (const TextId found = m_index.Find(text, hash, m_texts); found != TextIndex::kNone) return found;
    // Everything that can run out of memory comes before the first change that must be kept.
    if (m_texts.size() == m_texts.capacity()) m_texts.reserve(2 * m_texts.size());
    const std::string_view stored = m_pool.Store(text);
    const auto id = static_cast<TextId>(m_texts.size());
    m_index.Insert(id, hash);
    m_texts.push_back(stored);
    return id;
}

TextTable::TextId TextTable::Find(std::string_view text) const {
    const TextId found = m_index.Find(text, TextIndex::Hash(text), m_texts);
    return found == TextIndex::kNone ? kNoId : found;
}

std::size_t TextTable::MemoryBytes() const {
    return m_pool.BytesHeld() + m_texts.capacity() * sizeof(std::string_view) + m_index.MemoryBytes();
}
