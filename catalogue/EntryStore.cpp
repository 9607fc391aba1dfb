#include "catalogue/EntryStore.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "catalogue/BulkPrefaulter.h"

namespace {
// A bulk append smaller than this fills its memory on first touch: a helper thread and its pages taken
// ahead would cost more than they save.
constexpr std::size_t kPrefaultFrom = std::size_t{64} << 20;
// How many appends go by between two reports to the helper.
constexpr std::size_t kFeedEvery = 1024;

void CopyIn(char* at, std::string_view text) {
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
}
}  // namespace

EntryStore::EntryStore() {
    Clear();
}

EntryStore::~EntryStore() = default;
EntryStore::EntryStore(EntryStore&&) noexcept = default;
EntryStore& EntryStore::operator=(EntryStore&&) noexcept = default;

void EntryStore::Clear() {
    m_prefaulter.reset();
    m_rows = {};
    m_names.Clear();
    m_texts.Clear();
}

void EntryStore::Reserve(std::size_t rows) {
    EndBulkAppend();  // the rows may move, and the helper must not follow the old ones
    m_rows.reserve(rows);
}

void EntryStore::BeginBulkAppend(std::size_t rows, std::size_t textBytes) {
    EndBulkAppend();
    if (rows <= m_rows.max_size() - m_rows.size()) m_rows.reserve(m_rows.size() + rows);
    const std::size_t rowBytes = (m_rows.capacity() - m_rows.size()) * sizeof(Row);
    if (!bulk::CanTakePages() || rowBytes < bulk::kHugeBlock || rowBytes + textBytes < kPrefaultFrom) return;
    try {
        // One block for all the names, so that the helper can follow it: only what the appends reach, or
        // the helper takes ahead of them, ever becomes memory.
        m_bulkText = m_names.Reserve(textBytes);
        m_bulkTextBytes = textBytes;
        m_bulkFirstRow = m_rows.size();
        m_prefaulter = std::make_unique<BulkPrefaulter>(std::vector<BulkPrefaulter::Region>{
            {reinterpret_cast<char*>(m_rows.data() + m_rows.size()), rowBytes}, {m_bulkText, textBytes}});
    } catch (const std::bad_alloc&) {
        // Taking pages ahead only makes the appends faster: without room for it they go on as ever.
    }
}

void EntryStore::EndBulkAppend() {
    if (!m_prefaulter) return;
    m_prefaulter->Stop();
    const auto giveBack = [](char* begin, std::size_t filled, std::size_t taken) {
        if (taken > filled) bulk::GiveBackPages(begin + filled, taken - filled);
    };
    const std::size_t rowsFilled = (std::max(m_rows.size(), m_bulkFirstRow) - m_bulkFirstRow) * sizeof(Row);
    giveBack(reinterpret_cast<char*>(m_rows.data() + m_bulkFirstRow), rowsFilled, m_prefaulter->Taken(0));
    giveBack(m_bulkText, BulkTextFilled(), m_prefaulter->Taken(1));
    m_prefaulter.reset();
}

void EntryStore::FeedPrefaulter() {
    // The rows are about to move to a larger block: the helper must let go of the old one first.
    if (m_rows.size() == m_rows.capacity()) return EndBulkAppend();
    const std::size_t appended = m_rows.size() - std::min(m_rows.size(), m_bulkFirstRow);
    if (appended % kFeedEvery != 0) return;
    m_prefaulter->Filled(0, appended * sizeof(Row));
    m_prefaulter->Filled(1, BulkTextFilled());
}

std::size_t EntryStore::BulkTextFilled() const {
    // Once the names outgrow the reserved block they go on in another: the block then counts as full.
    const auto cursor = reinterpret_cast<std::uintptr_t>(m_names.Cursor());
    const auto begin = reinterpret_cast<std::uintptr_t>(m_bulkText);
    return cursor >= begin && cursor - begin <= m_bulkTextBytes ? cursor - begin : m_bulkTextBytes;
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
    if (m_prefaulter) [[unlikely]]
        FeedPrefaulter();
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
    return m_rows.capacity() * sizeof(Row) + m_names.BytesHeld() + m_texts.MemoryBytes();
}
