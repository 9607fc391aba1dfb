#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "catalogue/DiscRecord.h"

// The parts of the extension block after a ".cdi" file's entries that need no stream: its header, its
// section heads and the disc records. docs/cdi-format.md describes the layout; the reader and writer of the
// whole file are in CdiFormat.cpp.
namespace cdi::block {

// Eight bytes no entry can start with (an entry starts with a class tag, 0x8001 or 0xFFFF), with a line
// break and an end-of-file byte that show a transfer that changed bytes, as PNG's do.
inline constexpr std::string_view kMagic{"TBRX\r\n\x1A\n", 8};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderBytes = 32;
inline constexpr std::size_t kSectionHeadBytes = 16;
inline constexpr std::size_t kChecksumBytes = 8;

enum SectionKind : std::uint32_t {
    kEntryTimes = 1,  // one signed 64-bit time per entry
    kDiscs = 2,       // the disc records
    kChecksums = 3,   // one file checksum (or none) per entry, then the reasons of files not read
};
// Each entry's checksum in a kChecksums section: its state, then 16 bytes (zeros unless known).
inline constexpr std::size_t kSumBytes = 17;

struct Header {
    std::uint16_t version = kVersion;
    std::uint16_t flags = 0;
    std::uint32_t entries = 0;    // N, the entries before the block
    std::uint64_t entryHash = 0;  // XXH3-64 of the file's bytes before the block
    std::uint64_t length = 0;     // the whole block, magic to checksum
};
void PutHeader(const Header& header, std::string& out);
// Reads a header from kHeaderBytes bytes that start with kMagic.
Header GetHeader(const char* at);

struct SectionHead {
    std::uint32_t kind = 0;
    std::uint32_t flags = 0;
    std::uint64_t length = 0;  // the bytes after the head
};
void PutSectionHead(const SectionHead& head, std::string& out);
SectionHead GetSectionHead(const char* at);

// The hash the block uses for the entries and for its checksum: XXH3-64 with seed 0.
std::uint64_t Hash(std::string_view bytes);

void Put64(std::uint64_t v, std::string& out);
// Writes `v` as 8 little-endian bytes at `at`.
inline void Store64(std::int64_t v, char* at) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(at, &v, 8);
    } else {
        for (int k = 0; k < 8; ++k)
            at[k] = static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * k)) & 0xFF);
    }
}
std::uint64_t Get64(const char* at);

// The payload of a kDiscs section.
std::string EncodeDiscs(const catalogue::DiscRecords& discs);
// Reads a kDiscs payload for a catalogue of `entries` entries into `discs`; false with `problem` set when a
// count or length runs past it, or a record's row is not one of the entries or not after the one before
// (as the writer writes them, so that records never outnumber the entries). Fields of kinds not known here
// are skipped.
bool DecodeDiscs(std::string_view payload, std::size_t entries, catalogue::DiscRecords& discs,
                 std::string& problem);

// Writes one entry's checksum as kSumBytes bytes at `at`.
void StoreSum(const EntryStore::FileSum& sum, char* at);
// Reads one entry's checksum from kSumBytes bytes; false when its state is not known here.
bool LoadSum(const char* at, EntryStore::FileSum& sum);
// The reasons that follow the checksums: a 4-byte count, then per row its 8-byte row, a 4-byte length and
// the reason's bytes.
std::string EncodeReadErrors(const std::map<std::size_t, std::string>& errors);
// Reads the reasons for `store`, whose checksums are read: false with `problem` set when a count or length
// runs past `payload`, or a row is not after the one before or not marked unreadable.
bool DecodeReadErrors(std::string_view payload, EntryStore& store, std::string& problem);

}  // namespace cdi::block
