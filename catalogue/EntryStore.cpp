#include "catalogue/EntryStore.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
// Blocks start small, so a tiny catalogue costs little, and double up to the size that huge pages back.
constexpr std::size_t kFirstBlockSize = 4 * 1024;
constexpr std::size_t kLargestBlockSize = bulk::kHugeBlock;
}  // namespace

std::string_view TextArena::Store(std::string_view first, std::string_view second) {
    const std::size_t length = first.size() + second.size();
    if (length == 0) return {};
    if (m_blocks.empty() || m_capacity - m_used < length) {
        const std::size_t grown = m_capacity ? std::min(m_capacity * 2, kLargestBlockSize) : kFirstBlockSize;
        const std::size_t size = std::max(grown, length);
        m_blocks.emplace_back(static_cast<char*>(bulk::Allocate(size)), BlockFree{size});
        m_capacity = size;
        m_used = 0;
        m_reserved += size;
    }
    char* at = m_blocks.back().get() + m_used;
    if (!first.empty()) std::memcpy(at, first.data(), first.size());
    if (!second.empty()) std::memcpy(at + first.size(), second.data(), second.size());
    m_used += length;
    return {at, length};
}

void TextArena::Clear() {
    m_blocks.clear();
    m_used = m_capacity = m_reserved = 0;
}

EntryStore::EntryStore() {
    Clear();
}

void EntryStore::Clear() {
    m_rows = {};
    m_names.Clear();
    m_pool.Clear();
    m_texts.assign(1, std::string_view{});
    m_index.Clear();
    m_index.Insert(0, TextIndex::Hash({}));
    for (auto& recent : m_recent) std::fill(std::begin(recent), std::end(recent), 0);
}

EntryStore::TextId EntryStore::Intern(std::string_view text) {
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

EntryStore::TextId EntryStore::InternRecent(int column, std::string_view text) {
    TextId* recent = m_recent[column];
    int k = 0;
    while (k < kRecent && Text(recent[k]) != text) ++k;
    const TextId id = k < kRecent ? recent[k] : Intern(text);
    std::copy_backward(recent, recent + std::min(k, kRecent - 1), recent + std::min(k, kRecent - 1) + 1);
    recent[0] = id;
    return id;
}

EntryStore::TextId EntryStore::FindText(std::string_view text) const {
    const TextId found = m_index.Find(text, TextIndex::Hash(text), m_texts);
    return found == TextIndex::kNone ? kNoId : found;
}

std::size_t EntryStore::Append(std::string_view label, std::string_view name, std::string_view kind,
                               std::string_view path, std::string_view size) {
    // Consecutive entries mostly share label, kind and path: trying the texts just used before hashing
    // keeps loading a large catalogue close to the speed of reading its bytes.
    Row row{nullptr, 0, 0, InternRecent(0, label), InternRecent(1, kind), InternRecent(2, path)};
    StoreNameAndSize(row, name, size);
    m_rows.push_back(row);
    return m_rows.size() - 1;
}

void EntryStore::Truncate(std::size_t rows) {
    if (rows < m_rows.size()) m_rows.resize(rows);
}

bool EntryStore::IsDeleted(std::size_t i) const {
    const Row& row = m_rows[i];
    return row.nameLength == 0 && row.sizeLength == 0 && row.label == 0 && row.kind == 0 && row.path == 0;
}

void EntryStore::StoreNameAndSize(Row& row, std::string_view name, std::string_view size) {
    // One arena copy of both keeps a row at 32 bytes.
    row.text = m_names.Store(name, size).data();
    row.nameLength = static_cast<std::uint32_t>(name.size());
    row.sizeLength = static_cast<std::uint32_t>(size.size());
}

void EntryStore::SetName(std::size_t i, std::string_view text) {
    const std::string size(SizeText(i));
    StoreNameAndSize(m_rows[i], text, size);
}

void EntryStore::SetSize(std::size_t i, std::string_view text) {
    const std::string name(Name(i));
    StoreNameAndSize(m_rows[i], name, text);
}

std::size_t EntryStore::MemoryBytes() const {
    return m_rows.capacity() * sizeof(Row) + m_names.BytesReserved() + m_pool.BytesReserved() +
           m_texts.capacity() * sizeof(std::string_view) + m_index.MemoryBytes();
}
