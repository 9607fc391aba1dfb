#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "catalogue/EntryStore.h"

// The ".cdi" file: the archive stream of the entry array (count, class description on the first entry,
// 0x8001 tags after it, five length-prefixed texts per entry), with no header of its own.
namespace cdi {

// How much of a file the chunked reader holds at once (more only while one entry is larger).
inline constexpr std::size_t kReadChunk = std::size_t{1} << 18;

// Hands the chunked reader the next bytes of a file: puts at most `capacity` bytes at `into` and returns
// how many (0 at the end of the file), or returns -1 with `error` set to the system's reason.
using ChunkSource = std::function<std::int64_t(char* into, std::size_t capacity, std::string& error)>;

// Appends the whole catalogue, byte for byte, to `out`.
void Write(const EntryStore& entries, std::string& out);
// Writes the catalogue in chunks of about a megabyte to `sink`; stops and returns false when it does.
bool WriteTo(const EntryStore& entries, const std::function<bool(std::string_view)>& sink);

// Reads a catalogue from `bytes` into `entries` (which is cleared first).
// Never trusts the bytes: on any fault returns false with `error` saying what is wrong and where,
// and leaves `entries` empty. Bytes after the last entry are not read.
bool Read(std::span<const char> bytes, EntryStore& entries, std::string& error);
// Reads a catalogue of `size` bytes from `source`, `chunkBytes` at a time, with the guarantees of Read;
// a read error fails it with the system's reason. Only a chunk (or the entry being read) is held at once.
bool ReadChunks(std::uint64_t size, const ChunkSource& source, EntryStore& entries, std::string& error,
                std::size_t chunkBytes = kReadChunk);

// One archive text: length prefix and bytes. Valid UTF-8 that is not plain ASCII is written in the
// archive's UTF-16 form (0xFF, 0xFFFE, length in UTF-16 units, UTF-16LE); everything else as its bytes.
void WriteText(std::string_view text, std::string& out);

}  // namespace cdi
