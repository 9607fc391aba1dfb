#include "catalogue/EntryStore.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
// Blocks start small, so a tiny catalogue costs little, and double up to a size at which a million names
// need few allocations.
constexpr std::size_t kFirstBlockSize = 4 * 1024;
constexpr std::size_t kLargestBlockSize = 256 * 1024;
}  // namespace

std::string_view TextArena::Store(std::string_view first, std::string_view second) {
    const std::size_t length = first.size() + second.size();
    if (length == 0) return {};
    if (m_blocks.empty() || m_capacity - m_used < length) {
        const std::size_t grown = m_capacity ? std::min(m_capacity * 2, kLargestBlockSize) : kFirstBlockSize;
        const std::size_t size = std::max(grown, length);
        m_blocks.push_back(std::make_unique<char[]>(size));
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
    m_index.clear();
    m_index.emplace(std::string_view{}, 0);
    std::fill(std::begin(m_lastId), std::end(m_lastId), 0);
}

EntryStore::TextId EntryStore::Intern(std::string_view text) {
    if (text.empty()) return 0;
    if (const auto found = m_index.find(text); found != m_index.end()) return found->second;
    const std::string_view stored = m_pool.Store(text);
    const auto id = static_cast<TextId>(m_texts.size());
    m_texts.push_back(stored);
    m_index.emplace(stored, id);
    return id;
}

EntryStore::TextId EntryStore::FindText(std::string_view text) const {
    const auto found = m_index.find(text);
    return found == m_index.end() ? kNoId : found->second;
}

std::size_t EntryStore::Append(std::string_view label, std::string_view name, std::string_view kind,
                               std::string_view path, std::string_view size) {
    // Consecutive entries mostly share label, kind and path: try the previous row's id before hashing,
    // which keeps loading a large catalogue close to the speed of reading its bytes.
    const std::string_view texts[3] = {label, kind, path};
    TextId ids[3];
    for (int k = 0; k < 3; ++k) {
        ids[k] = Text(m_lastId[k]) == texts[k] ? m_lastId[k] : Intern(texts[k]);
    }
    Row row{nullptr, 0, 0, ids[0], ids[1], ids[2]};
    StoreNameAndSize(row, name, size);
    m_rows.push_back(row);
    std::copy(std::begin(ids), std::end(ids), std::begin(m_lastId));
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
    // Node-based hash map: roughly a node (key view, id, hash, next) plus a bucket pointer per text.
    const std::size_t indexBytes = m_index.size() * 48 + m_index.bucket_count() * sizeof(void*);
    return m_rows.capacity() * sizeof(Row) + m_names.BytesReserved() + m_pool.BytesReserved() +
           m_texts.capacity() * sizeof(std::string_view) + indexBytes;
}
