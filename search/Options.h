#pragma once

#include <optional>

namespace search {

// The three options of a search, as the Find dialog's boxes and tamberol-cli's flags set them.
struct Options {
    bool caseSensitive = false;  // "case sensitive": names as stored; else text and names lower-cased
    bool fileAndFolder = true;   // "include file and folder": folders too; else files only
    bool wholeName = false;      // "match whole word only": the name equals the text; else part of it

    // The option code that names these options in the Find command's table of eight searches: 100 for
    // case sensitive, plus 10 for file and folder, plus 1 for the whole name (0, 1, 10, ... 111).
    int Code() const;
    // The options an option code names; nothing for a number that is none of the eight codes.
    static std::optional<Options> FromCode(int code);

    bool operator==(const Options&) const = default;
};

}  // namespace search
