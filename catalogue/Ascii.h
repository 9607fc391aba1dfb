#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The ASCII steps on byte texts that the file format, the display and the search share. Inline, since the
// search takes them for every name of the catalogue.
namespace catalogue {

// The lower-case form of each byte: the ASCII capitals lowered, every other byte as it is.
inline constexpr std::array<unsigned char, 256> kAsciiLower = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return table;
}();

// A byte with its ASCII capital, if it is one, lowered.
inline char AsciiLower(char c) {
    return static_cast<char>(kAsciiLower[static_cast<unsigned char>(c)]);
}

static_assert(std::endian::native == std::endian::little, "WordAt puts the first byte lowest");

// The high bit of each of eight bytes: set in a word of a text where some byte is beyond ASCII.
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Eight bytes of a text from `at` as one word, the byte at `at` lowest and bytes past the text's end zero.
// For texts of eight bytes or more: no branch and no read outside the text.
inline std::uint64_t WordAt(const char* text, std::size_t size, std::size_t at) {
    const std::size_t start = std::min(at, size - 8);
    std::uint64_t word;
    std::memcpy(&word, text + start, 8);
    return word >> ((at - start) * 8);
}

// The same for texts shorter than eight bytes.
inline std::uint64_t ShortWordAt(const char* text, std::size_t size, std::size_t at) {
    std::uint64_t word = 0;
    if (size >= 4) {
        std::uint32_t low;
        std::uint32_t high;
        std::memcpy(&low, text, 4);
        std::memcpy(&high, text + size - 4, 4);
        word = low | std::uint64_t{high} << ((size - 4) * 8);
    } else {
        for (std::size_t i = 0; i < size; ++i)
            word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
    }
    return word >> (at * 8);
}

// True when every byte is below 0x80. The writer asks this of every text it saves and some folded searches
// of every name, so a text of up to 32 bytes takes four overlapping words and no loop.
inline bool IsAscii(std::string_view bytes) {
    const char* text = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 8) return (ShortWordAt(text, size, 0) & kHighBits) == 0;
    std::uint64_t any = WordAt(text, size, 0) | WordAt(text, size, std::min<std::size_t>(8, size - 8)) |
                        WordAt(text, size, std::min<std::size_t>(16, size - 8)) |
                        WordAt(text, size, size - 8);
    for (std::size_t at = 24; at + 8 < size; at += 8) any |= WordAt(text, size, at);
    return (any & kHighBits) == 0;
}

}  // namespace catalogue
