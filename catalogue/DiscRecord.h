#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "catalogue/EntryStore.h"

namespace catalogue {

// What a catalogue knows of one disc beyond its entries: what the walk read of it, and the user's own notes.
// Texts are bytes, as everywhere in the catalogue.
struct DiscRecord {
    static constexpr std::int64_t kUnknown = -1;  // a size not known

    std::int64_t catalogued = EntryStore::kUnknownTime;  // when it was walked, seconds since 1970 UTC
    std::string source;                // what was walked: a drive text ("E:\") or an image's path
    std::string device;                // the device it was read from ("/dev/sr0"), when known
    std::string volumeLabel;           // the label the disc itself carries, as read
    std::string fileSystem;            // "iso9660", "udf", ...
    std::string serial;                // the file system's UUID or serial number
    std::int64_t capacity = kUnknown;  // bytes the disc holds in all
    std::int64_t freeBytes = kUnknown;
    std::string location;  // the user's: where the disc is kept ("Box 12, shelf 3")
    std::string notes;     // the user's

    // True when the record holds nothing at all: such a record is never stored.
    bool Empty() const;
    bool operator==(const DiscRecord&) const = default;
};

// The records of a catalogue's discs, each under the first row of its disc (Disc::first). Rows move only
// when a disc's entries are replaced (Replace moves the records with them; a delete blanks rows), so a record
// stays with its disc through every edit; a record whose row no longer starts a disc (two discs of one label
// that came to lie side by side) is kept, and shows again should its disc stand alone once more.
class DiscRecords {
public:
    // The record of the disc starting at row `first`; null when it has none.
    const DiscRecord* Find(std::size_t first) const;
    // Stores `record` for the disc starting at `first`, replacing any; an empty record removes it.
    void Set(std::size_t first, DiscRecord record);
    // A record made aside under its first row (a map node), so that storing it allocates nothing.
    using Node = std::map<std::size_t, DiscRecord>::node_type;
    // Stores the record of `node`, replacing any under its row; an empty record removes it.
    void Put(Node node) noexcept;
    void Erase(std::size_t first) { m_records.erase(first); }
    // Drops the records of rows [first, end): a disc's own, and those of the discs it came to join.
    void Erase(std::size_t first, std::size_t end) {
        m_records.erase(m_records.lower_bound(first), m_records.lower_bound(end));
    }
    // The rows [first, end) became the rows [first, newEnd): drops the records among them and moves those of
    // later rows with their rows.
    void Replace(std::size_t first, std::size_t end, std::size_t newEnd) noexcept;
    // Drops the records of rows at and after `rows` (a walk rolled back).
    void Truncate(std::size_t rows) { m_records.erase(m_records.lower_bound(rows), m_records.end()); }
    void Clear() { m_records.clear(); }
    bool Empty() const { return m_records.empty(); }
    std::size_t Size() const { return m_records.size(); }
    // In row order.
    const std::map<std::size_t, DiscRecord>& All() const { return m_records; }

private:
    std::map<std::size_t, DiscRecord> m_records;
};

}  // namespace catalogue
