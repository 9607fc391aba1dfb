#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>

#include "catalogue/EntryStore.h"

// The ".cdi" file: the archive stream of the entry array (count, class description on the first entry,
// 0x8001 tags after it, five length-prefixed texts per entry), with no header of its own.
namespace cdi {

// Appends the whole catalogue, byte for byte, to `out`.
void Write(const EntryStore& entries, std::string& out);
// Writes the catalogue in chunks of about a megabyte to `sink`; stops and returns false when it does.
bool WriteTo(const EntryStore& entries, const std::function<bool(std::string_view)>& sink);

// Reads a catalogue from `bytes` into `entries` (which is cleared first).
// Never trusts the bytes: on any fault returns false with `error` saying what is wrong and where,
// and leaves `entries` empty. Bytes after the last entry are not read.
bool Read(std::span<const char> bytes, EntryStore& entries, std::string& error);

// One archive text: length prefix and bytes. Valid UTF-8 that is not plain ASCII is written in the
// archive's UTF-16 form (0xFF, 0xFFFE, length in UTF-16 units, UTF-16LE); everything else as its bytes.
void WriteText(std::string_view text, std::string& out);

}  // namespace cdi
