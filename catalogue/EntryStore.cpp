#include "catalogue/EntryStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace {
void CopyIn(char* at, std::string_view text) {
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
}
}  // namespace

EntryStore::EntryStore() {
    Clear();
}

void EntryStore::Clear() {
    m_rows = {};
    m_modified = {};
    ClearSums();
    m_names.Clear();
    m_texts.Clear();
}

void EntryStore::Reserve(std::size_t rows) {
    m_rows.reserve(rows);
}

std::size_t EntryStore::Append(std::string_view label, std::string_view name, std::string_view kind,
                               std::string_view path, std::string_view size) {
    // Consecutive entries mostly share label, kind and path: trying the texts just used before hashing
    // keeps loading a large catalogue close to the speed of reading its bytes.
    Row row{nullptr,
            m_texts.InternRecent(0, label),
            m_texts.InternRecent(1, kind),
            m_texts.InternRecent(2, path),
            0,
            0};
    StoreNameAndSize(row, name, size);
    m_rows.push_back(row);
    if (!m_modified.empty()) [[unlikely]] {
        try {
            m_modified.push_back(kUnknownTime);
        } catch (...) {
            m_rows.pop_back();  // a row without its time would shift every time after it
            throw;
        }
    }
    if (!m_sums.empty()) [[unlikely]] {
        try {
            m_sums.emplace_back();
        } catch (...) {
            m_rows.pop_back();
            if (m_modified.size() > m_rows.size()) m_modified.pop_back();
            throw;
        }
    }
    return m_rows.size() - 1;
}

void EntryStore::Truncate(std::size_t rows) {
    if (rows < m_rows.size()) m_rows.resize(rows);
    if (rows < m_modified.size()) m_modified.resize(rows);
    if (rows < m_sums.size()) m_sums.resize(rows);
    m_readErrors.erase(m_readErrors.lower_bound(rows), m_readErrors.end());
}

void EntryStore::ReplaceRows(std::size_t first, std::size_t end, const EntryStore& from,
                             std::string_view label) {
    // Everything that can fail comes first: the new rows, built aside (texts interned, names claimed), and
    // room for the rows and times at their new length. What a failure leaves (interned texts, claimed
    // bytes) is unreferenced and harmless.
    const std::size_t count = from.Size();
    const std::size_t oldSize = m_rows.size();
    const std::size_t newSize = oldSize - (end - first) + count;
    std::vector<Row> rows(count);
    const TextId labelId = m_texts.Intern(label);
    for (std::size_t i = 0; i < count; ++i) {
        Row& row = rows[i];
        row.label = labelId;
        row.kind = m_texts.InternRecent(1, from.Kind(i));
        row.path = m_texts.InternRecent(2, from.Path(i));
        StoreNameAndSize(row, from.Name(i), from.SizeText(i));
    }
    const bool dates = HasDates() || from.HasDates();
    if (newSize > m_rows.capacity()) m_rows.reserve(std::max(newSize, oldSize + oldSize / 8));
    if (dates && newSize > m_modified.capacity()) m_modified.reserve(std::max(newSize, m_rows.capacity()));
    if (dates && m_modified.empty()) m_modified.assign(oldSize, kUnknownTime);  // within the room above
    const bool sums = HasSums() || from.HasSums();
    if (sums && newSize > m_sums.capacity()) m_sums.reserve(std::max(newSize, m_rows.capacity()));
    if (sums && m_sums.empty()) m_sums.assign(oldSize, FileSum{});
    // The reasons after the replaced rows move with them; built aside so that a failure changes nothing.
    std::map<std::size_t, std::string> errors;
    if (!m_readErrors.empty() || !from.m_readErrors.empty()) {
        for (const auto& [row, reason] : m_readErrors) {
            if (row < first)
                errors.emplace(row, reason);
            else if (row >= end)
                errors.emplace(row - (end - first) + count, reason);
        }
        for (const auto& [row, reason] : from.m_readErrors) errors.emplace(first + row, reason);
    }

    const auto splice = [&](auto& column, const auto& fresh) {
        if (count > end - first) {
            column.resize(newSize);
            std::move_backward(column.begin() + static_cast<std::ptrdiff_t>(end),
                               column.begin() + static_cast<std::ptrdiff_t>(oldSize), column.end());
        } else {
            std::move(column.begin() + static_cast<std::ptrdiff_t>(end), column.end(),
                      column.begin() + static_cast<std::ptrdiff_t>(first + count));
            column.resize(newSize);
        }
        for (std::size_t i = 0; i < count; ++i) column[first + i] = fresh(i);
    };
    splice(m_rows, [&rows](std::size_t i) { return rows[i]; });
    if (dates) splice(m_modified, [&from](std::size_t i) { return from.Modified(i); });
    if (sums) splice(m_sums, [&from](std::size_t i) { return from.Sum(i); });
    m_readErrors.swap(errors);
}

void EntryStore::SetSum(std::size_t i, const FileSum& sum) {
    if (m_sums.empty()) {
        if (sum.state == SumState::None) return;
        m_sums.assign(m_rows.size(), FileSum{});
    }
    m_sums[i] = sum;
    if (sum.state != SumState::Unreadable) m_readErrors.erase(i);
}

void EntryStore::SetUnreadable(std::size_t i, std::string reason) {
    SetSum(i, {SumState::Unreadable, {}});
    m_readErrors[i] = std::move(reason);
}

std::string_view EntryStore::ReadError(std::size_t i) const {
    const auto found = m_readErrors.find(i);
    return found == m_readErrors.end() ? std::string_view{} : std::string_view(found->second);
}

std::span<EntryStore::FileSum> EntryStore::AllSums() {
    m_readErrors.clear();
    m_sums.assign(m_rows.size(), FileSum{});
    return m_sums;
}

void EntryStore::ClearSums() {
    m_sums = {};
    m_readErrors.clear();
}

void EntryStore::SetModified(std::size_t i, std::int64_t time) {
    if (m_modified.empty()) {
        if (time == kUnknownTime) return;
        m_modified.assign(m_rows.size(), kUnknownTime);
    }
    m_modified[i] = time;
}

std::span<std::int64_t> EntryStore::AllDates() {
    m_modified.assign(m_rows.size(), kUnknownTime);
    return m_modified;
}

bool EntryStore::IsDeleted(std::size_t i) const {
    const Row& row = m_rows[i];
    return row.nameLength == 0 && row.sizeLength == 0 && row.label == 0 && row.kind == 0 && row.path == 0;
}

void EntryStore::StoreNameAndSize(Row& row, std::string_view name, std::string_view size) {
    // One arena copy of both keeps a row at 24 bytes.
    const bool longForm = name.size() >= kLongTexts || size.size() >= kLongTexts;
    const std::size_t header = longForm ? sizeof(LongLengths) : 0;
    char* at = m_names.Claim(header + name.size() + size.size());
    if (longForm) {
        const LongLengths lengths{name.size(), size.size()};
        std::memcpy(at, &lengths, sizeof lengths);
    }
    CopyIn(at + header, name);
    CopyIn(at + header + name.size(), size);
    row.text = at;
    row.nameLength = longForm ? kLongTexts : static_cast<std::uint16_t>(name.size());
    row.sizeLength = longForm ? 0 : static_cast<std::uint16_t>(size.size());
}

void EntryStore::SetName(std::size_t i, std::string_view text) {
    // The old texts stay where they are, so views of them (even `text` itself) are still good to copy.
    StoreNameAndSize(m_rows[i], text, SizeText(i));
}

void EntryStore::SetSize(std::size_t i, std::string_view text) {
    StoreNameAndSize(m_rows[i], Name(i), text);
}

std::size_t EntryStore::MemoryBytes() const {
    return m_rows.capacity() * sizeof(Row) + m_modified.capacity() * sizeof(std::int64_t) +
           m_sums.capacity() * sizeof(FileSum) + m_names.BytesHeld() + m_texts.MemoryBytes();
}
