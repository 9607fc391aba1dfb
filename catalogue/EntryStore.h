#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/BulkAllocator.h"
#include "catalogue/TextArena.h"
#include "catalogue/TextTable.h"

// Compact column storage for catalogue entries, built for millions of rows.
// Labels, kinds and paths repeat massively and are interned once (TextTable); a name and its size text,
// which rarely repeat, sit side by side in an arena. A row is 24 bytes.
// Every string_view handed out stays valid until Clear().
class EntryStore {
public:
    using TextId = TextTable::TextId;  // 0 is always the empty text

    EntryStore();
    // Takes over the entries; the store moved from holds nothing usable until Clear().
    EntryStore(EntryStore&&) noexcept = default;
    // Takes over the entries of `other`, dropping its own; `other` holds nothing usable until Clear().
    EntryStore& operator=(EntryStore&&) noexcept = default;

    std::size_t Size() const { return m_rows.size(); }
    // Room for `rows` entries in all, so that appends up to that many never move the rows.
    void Reserve(std::size_t rows);
    void Clear();

    // Appends one entry, its modification time unknown; returns its index.
    std::size_t Append(std::string_view label, std::string_view name, std::string_view kind,
                       std::string_view path, std::string_view size);
    // Cuts the store back to `rows` entries (used to roll back a cancelled walk).
    void Truncate(std::size_t rows);
    // Puts every entry of `from`, labelled `label`, with its texts and time, in place of the rows
    // [first, end); the rows after them move to follow. Either it is done or, when memory runs out, the
    // store is as it was. The replaced rows' names stay in the arena until Clear(), as after SetName.
    void ReplaceRows(std::size_t first, std::size_t end, const EntryStore& from, std::string_view label);

    std::string_view Label(std::size_t i) const { return Text(m_rows[i].label); }
    std::string_view Name(std::size_t i) const {
        const Row& row = m_rows[i];
        if (row.nameLength != kLongTexts) [[likely]]
            return {row.text, row.nameLength};
        return {row.text + sizeof(LongLengths), LongLengthsOf(row).name};
    }
    std::string_view Kind(std::size_t i) const { return Text(m_rows[i].kind); }
    std::string_view Path(std::size_t i) const { return Text(m_rows[i].path); }
    std::string_view SizeText(std::size_t i) const {
        const Row& row = m_rows[i];
        if (row.nameLength != kLongTexts) [[likely]]
            return {row.text + row.nameLength, row.sizeLength};
        const LongLengths lengths = LongLengthsOf(row);
        return {row.text + sizeof(LongLengths) + lengths.name, lengths.size};
    }
    // Interned id of the label: equal labels have equal ids, so grouping discs needs no string compare.
    TextId LabelId(std::size_t i) const { return m_rows[i].label; }
    TextId KindId(std::size_t i) const { return m_rows[i].kind; }
    TextId PathId(std::size_t i) const { return m_rows[i].path; }
    // A deleted entry has all five texts empty.
    bool IsDeleted(std::size_t i) const;

    void SetLabel(std::size_t i, std::string_view text) { m_rows[i].label = m_texts.Intern(text); }
    void SetName(std::size_t i, std::string_view text);
    void SetKind(std::size_t i, std::string_view text) { m_rows[i].kind = m_texts.Intern(text); }
    void SetPath(std::size_t i, std::string_view text) { m_rows[i].path = m_texts.Intern(text); }
    void SetSize(std::size_t i, std::string_view text);

    // When an entry's file was last changed, in seconds since 1970-01-01 UTC; kUnknownTime when not known
    // (catalogues written before dates were kept, deleted entries). Kept beside the rows, not in them:
    // a catalogue without dates spends no memory on them.
    static constexpr std::int64_t kUnknownTime = INT64_MIN;
    std::int64_t Modified(std::size_t i) const {
        return i < m_modified.size() ? m_modified[i] : kUnknownTime;
    }
    void SetModified(std::size_t i, std::int64_t time);
    // True when some entry has a known modification time.
    bool HasDates() const { return !m_modified.empty(); }
    // Forgets every modification time.
    void ClearDates() { m_modified = {}; }
    // The times of all rows, for the reader to fill in one pass: sized to Size(), all unknown.
    std::span<std::int64_t> AllDates();

    // What reading a file's bytes gave, when it was asked for: its XXH3-128 (in the canonical, big-endian
    // byte order xxhsum prints), or the system's reason it could not be read. Kept beside the rows like
    // the times, and only once some row has one.
    enum class SumState : std::uint8_t { None = 0, Known = 1, Unreadable = 2 };
    struct FileSum {
        SumState state = SumState::None;
        std::array<unsigned char, 16> digest{};

        bool operator==(const FileSum&) const = default;
    };
    FileSum Sum(std::size_t i) const { return i < m_sums.size() ? m_sums[i] : FileSum{}; }
    // Sets a row's checksum; a state of Known or None drops any reason kept for the row.
    void SetSum(std::size_t i, const FileSum& sum);
    // Marks a row unreadable, keeping `reason`.
    void SetUnreadable(std::size_t i, std::string reason);
    // The reason a row marked unreadable could not be read; empty for any other.
    std::string_view ReadError(std::size_t i) const;
    // The rows marked unreadable and their reasons, by row.
    const std::map<std::size_t, std::string>& ReadErrors() const { return m_readErrors; }
    // True when some row has a checksum or a read error.
    bool HasSums() const { return !m_sums.empty(); }
    void ClearSums();
    // The checksums of all rows, for the reader to fill in one pass: sized to Size(), all None.
    std::span<FileSum> AllSums();

    // The id of an interned text, or nullopt-like kNoId when no entry ever used it.
    static constexpr TextId kNoId = TextTable::kNoId;
    TextId FindText(std::string_view text) const { return m_texts.Find(text); }
    std::string_view Text(TextId id) const { return m_texts.Text(id); }

    // Approximate heap bytes held, for the memory benchmark.
    std::size_t MemoryBytes() const;

private:
    struct Row {
        const char* text;  // the name, followed by the size text (after LongLengths in the long form)
        TextId label;
        TextId kind;
        TextId path;
        std::uint16_t nameLength;  // kLongTexts: the lengths are the LongLengths at `text`
        std::uint16_t sizeLength;
    };
    static_assert(sizeof(void*) != 8 || sizeof(Row) == 24);
    // Lengths of a name or size text of 0xFFFF bytes or more, stored before the texts: rare enough that
    // every other row keeps its lengths in four bytes.
    struct LongLengths {
        std::uint64_t name;
        std::uint64_t size;
    };
    static constexpr std::uint16_t kLongTexts = 0xFFFF;
    static LongLengths LongLengthsOf(const Row& row) {
        LongLengths lengths;
        std::memcpy(&lengths, row.text, sizeof lengths);
        return lengths;
    }
    void StoreNameAndSize(Row& row, std::string_view name, std::string_view size);

    std::vector<Row, BulkAllocator<Row>> m_rows;
    TextArena m_names;  // names and size texts
    TextTable m_texts;  // labels, kinds and paths
    // One time per row once any row has a known one; empty before.
    std::vector<std::int64_t, BulkAllocator<std::int64_t>> m_modified;
    // One checksum per row once any row has one (or a read error); empty before. Reasons are rare: by row.
    std::vector<FileSum> m_sums;
    std::map<std::size_t, std::string> m_readErrors;
};
