#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace catalogue {

// The UTF-8 steps that the file format, the display and the search's case folding share.

// Decodes the code point that starts at `pos` and moves `pos` past it. False, with `pos` unchanged, when
// the bytes there are not UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
bool NextCodePoint(std::string_view text, std::size_t& pos, char32_t& cp);
// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace catalogue
