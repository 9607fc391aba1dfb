#pragma once

#include <string>

namespace platform {
struct DirItem;
}

namespace scan {

inline constexpr const char* kLiveKindFile = "file";
inline constexpr const char* kLiveKindFolder = "folder";

// One row of a live folder listing, as the texts the contents list shows and navigates by.
struct LiveRow {
    std::string name;  // as the file system gives it, "." and ".." included
    std::string kind;  // "file" or "folder", without the catalogue's trailing blank
    std::string size;  // FormatSize text
    std::string flag;  // "1" for a file, "0" for a folder

    // The row of one listed item; folders are told by their directory bit whatever else is set.
    static LiveRow FromItem(const platform::DirItem& item);
    // The row carried by the document's four-text row field (name, kind, size, flag).
    template <typename FourTexts>
    static LiveRow FromTexts(const FourTexts& texts) {
        return {texts[0], texts[1], texts[2], texts[3]};
    }
    // Folder rows have the flag "0" exactly; anything else shows as a file.
    bool IsFolder() const { return flag == "0"; }
};

}  // namespace scan
