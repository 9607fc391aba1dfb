#pragma once

namespace search {

// The three options of a search, as the Find dialog's boxes and tamberol-cli's flags set them.
struct Options {
    bool caseSensitive = false;  // "case sensitive": names as stored; else text and names lower-cased
    bool fileAndFolder = true;   // "include file and folder": folders too; else files only
    bool wholeName = false;      // "match whole word only": the name equals the text; else part of it

    bool operator==(const Options&) const = default;
};

}  // namespace search
