#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "catalogue/DiscRecord.h"
#include "catalogue/EntryStore.h"

// The ".cdi" file: the archive stream of the entry array (count, class description on the first entry,
// 0x8001 tags after it, five length-prefixed texts per entry), with no header of its own; then, when the
// catalogue knows dates or disc details, one extension block that readers of the entries never reach.
// docs/cdi-format.md describes both.
namespace cdi {

// What a read found beyond the entries. The entries' modification times go into the EntryStore itself.
struct Extension {
    catalogue::DiscRecords discs;
    // Why a block was found but left out (damaged, cut off, made for other entries, a version not known);
    // empty when it was read or when there was none. Bytes after the entries that are no block are not a
    // problem: other programs may leave some.
    std::string problem;
};

// How much of a file the chunked reader holds at once (more only while one entry is larger).
inline constexpr std::size_t kReadChunk = std::size_t{1} << 18;

// Hands the chunked reader the next bytes of a file: puts at most `capacity` bytes at `into` and returns
// how many (0 at the end of the file), or returns -1 with `error` set to the system's reason.
using ChunkSource = std::function<std::int64_t(char* into, std::size_t capacity, std::string& error)>;

// Appends the whole catalogue, byte for byte, to `out`: the entries, then the extension block when the
// entries have dates or `discs` holds a record (never otherwise, so a catalogue without either is written
// exactly as other programs write it).
void Write(const EntryStore& entries, std::string& out, const catalogue::DiscRecords* discs = nullptr);
// Writes the catalogue as Write does, in chunks of about a megabyte, to `sink`; stops and returns false
// when it does.
bool WriteTo(const EntryStore& entries, const std::function<bool(std::string_view)>& sink,
             const catalogue::DiscRecords* discs = nullptr);

// Reads a catalogue from `bytes` into `entries` (which is cleared first).
// Never trusts the bytes: on any fault in the entries returns false with `error` saying what is wrong and
// where, and leaves `entries` empty. Without `extension` bytes after the last entry are not read; with it,
// an extension block there is read and checked in full, and applied only when every check passes (else
// its problem is said in `extension` and the entries stand as read, without dates).
bool Read(std::span<const char> bytes, EntryStore& entries, std::string& error,
          Extension* extension = nullptr);
// Reads a catalogue of `size` bytes from `source`, `chunkBytes` at a time, with the guarantees of Read;
// a read error fails it with the system's reason. Only a chunk (or the entry being read) is held at once.
bool ReadChunks(std::uint64_t size, const ChunkSource& source, EntryStore& entries, std::string& error,
                std::size_t chunkBytes = kReadChunk, Extension* extension = nullptr);

// One archive text: length prefix and bytes. Valid UTF-8 that is not plain ASCII is written in the
// archive's UTF-16 form (0xFF, 0xFFFE, length in UTF-16 units, UTF-16LE); everything else as its bytes.
void WriteText(std::string_view text, std::string& out);

}  // namespace cdi
