#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "catalogue/BulkAllocator.h"
#include "catalogue/BulkMemory.h"
#include "catalogue/TextIndex.h"

// Byte storage whose blocks never move, so string_views into it stay valid until Clear().
class TextArena {
public:
    std::string_view Store(std::string_view text) { return Store(text, {}); }
    // Stores `first` immediately followed by `second`; returns a view of both together.
    std::string_view Store(std::string_view first, std::string_view second);
    void Clear();
    std::size_t BytesReserved() const { return m_reserved; }

private:
    struct BlockFree {
        std::size_t bytes;
        void operator()(char* block) const noexcept { bulk::Free(block, bytes); }
    };
    std::vector<std::unique_ptr<char, BlockFree>> m_blocks;
    std::size_t m_used = 0;      // bytes used in the last block
    std::size_t m_capacity = 0;  // size of the last block
    std::size_t m_reserved = 0;
};

// Compact column storage for catalogue entries, built for millions of rows.
// Labels, kinds and paths repeat massively and are interned once; a name and its size text, which
// rarely repeat, sit side by side in an arena.
// Every string_view handed out stays valid until Clear().
class EntryStore {
public:
    using TextId = std::uint32_t;  // 0 is always the empty text

    EntryStore();

    std::size_t Size() const { return m_rows.size(); }
    void Reserve(std::size_t rows) { m_rows.reserve(rows); }
    void Clear();

    // Appends one entry; returns its index.
    std::size_t Append(std::string_view label, std::string_view name, std::string_view kind,
                       std::string_view path, std::string_view size);
    // Cuts the store back to `rows` entries (used to roll back a cancelled walk).
    void Truncate(std::size_t rows);

    std::string_view Label(std::size_t i) const { return Text(m_rows[i].label); }
    std::string_view Name(std::size_t i) const { return {m_rows[i].text, m_rows[i].nameLength}; }
    std::string_view Kind(std::size_t i) const { return Text(m_rows[i].kind); }
    std::string_view Path(std::size_t i) const { return Text(m_rows[i].path); }
    std::string_view SizeText(std::size_t i) const {
        return {m_rows[i].text + m_rows[i].nameLength, m_rows[i].sizeLength};
    }
    // Interned id of the label: equal labels have equal ids, so grouping discs needs no string compare.
    TextId LabelId(std::size_t i) const { return m_rows[i].label; }
    TextId KindId(std::size_t i) const { return m_rows[i].kind; }
    TextId PathId(std::size_t i) const { return m_rows[i].path; }
    // A deleted entry has all five texts empty.
    bool IsDeleted(std::size_t i) const;

    void SetLabel(std::size_t i, std::string_view text) { m_rows[i].label = Intern(text); }
    void SetName(std::size_t i, std::string_view text);
    void SetKind(std::size_t i, std::string_view text) { m_rows[i].kind = Intern(text); }
    void SetPath(std::size_t i, std::string_view text) { m_rows[i].path = Intern(text); }
    void SetSize(std::size_t i, std::string_view text);

    // The id of an interned text, or nullopt-like kNoId when no entry ever used it.
    static constexpr TextId kNoId = 0xFFFFFFFFu;
    TextId FindText(std::string_view text) const;
    std::string_view Text(TextId id) const { return m_texts[id]; }

    // Approximate heap bytes held, for the memory benchmark.
    std::size_t MemoryBytes() const;

private:
    struct Row {
        const char* text;  // the name, followed by the size text
        std::uint32_t nameLength;
        std::uint32_t sizeLength;
        TextId label;
        TextId kind;
        TextId path;
    };
    TextId Intern(std::string_view text);
    // Interns a label, kind or path (`column` 0, 1, 2), trying the texts that column took last first.
    TextId InternRecent(int column, std::string_view text);
    void StoreNameAndSize(Row& row, std::string_view name, std::string_view size);

    std::vector<Row, BulkAllocator<Row>> m_rows;
    TextArena m_names;  // names and size texts
    TextArena m_pool;
    std::vector<std::string_view> m_texts;  // id -> interned text
    TextIndex m_index;                      // interned text -> id
    // Per column, the ids taken last, most recent first: a disc's entries share a label, a walk alternates
    // between two kinds and goes back to the folders above the one it left.
    static constexpr int kRecent = 4;
    TextId m_recent[3][kRecent] = {};
};
