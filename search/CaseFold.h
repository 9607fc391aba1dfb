#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>

// Lower-casing for the folded searches: each character by its simple lower-case mapping, taken from Qt.
namespace casefold {

// The lower-case form of one code point: its simple lower-case mapping, or itself when it has none.
char32_t Lower(char32_t cp);
// The characters beyond ASCII whose lower-case form is ASCII (the Kelvin sign becomes 'k'), with that form.
std::span<const std::pair<char32_t, char>> FoldsToAscii();
// Lower-cases valid UTF-8 into `out`, which a caller reuses so that folding a name does not allocate;
// false when the text is not valid UTF-8.
bool FoldUtf8(std::string_view text, std::string& out);
// The lower-case form of a text: every character of valid UTF-8, only the ASCII letters of anything else.
std::string FoldText(std::string_view text);
// Appends FoldText(text) to `out`, so that folding many names into one buffer does not allocate for each.
void AppendFolded(std::string_view text, std::string& out);

}  // namespace casefold
