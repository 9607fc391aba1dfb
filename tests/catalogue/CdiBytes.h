#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Builds ".cdi" bytes by hand, from the layout rules, so that tests can state the bytes they expect
// without going through the writer under test.
namespace cdibytes {

inline std::string U16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

inline std::string U32(std::uint32_t value) {
    return U16(static_cast<std::uint16_t>(value & 0xFFFF)) + U16(static_cast<std::uint16_t>(value >> 16));
}

// The length prefix of a text of `length` bytes (or UTF-16 units).
inline std::string Prefix(std::size_t length) {
    if (length < 0xFF) return std::string(1, static_cast<char>(length));
    if (length < 0xFFFE) return "\xFF" + U16(static_cast<std::uint16_t>(length));
    return "\xFF\xFF\xFF" + U32(static_cast<std::uint32_t>(length));
}

inline std::string Text(std::string_view bytes) {
    return Prefix(bytes.size()) + std::string(bytes);
}

// A text in the archive's UTF-16 form; `utf16le` holds the UTF-16LE bytes.
inline std::string Utf16Text(std::string_view utf16le) {
    return "\xFF" + U16(0xFFFE) + Prefix(utf16le.size() / 2) + std::string(utf16le);
}

inline const std::string kClassHeader = std::string("\xFF\xFF\x01\x00\x0A\x00", 6) + "CCDContent";
inline const std::string kLaterTag = "\x01\x80";

// One entry of plain texts: the class description on the first entry, tag 0x8001 after it.
inline std::string Entry(bool first, std::initializer_list<std::string_view> texts) {
    std::string out = first ? kClassHeader : kLaterTag;
    for (std::string_view text : texts) out += Text(text);
    return out;
}

inline std::string Count(std::uint32_t count) {
    return count < 0xFFFF ? U16(static_cast<std::uint16_t>(count)) : U16(0xFFFF) + U32(count);
}

}  // namespace cdibytes
