#pragma once

#include <ostream>

#include "search/Options.h"

// The eight searches that the three boxes make, by name: folded or cased, files and folders or files only,
// part of the name or the whole name.
inline constexpr search::Options kFolded{};
inline constexpr search::Options kFoldedWhole{.wholeName = true};
inline constexpr search::Options kFoldedFiles{.fileAndFolder = false};
inline constexpr search::Options kFoldedFilesWhole{.fileAndFolder = false, .wholeName = true};
inline constexpr search::Options kCased{.caseSensitive = true};
inline constexpr search::Options kCasedWhole{.caseSensitive = true, .wholeName = true};
inline constexpr search::Options kCasedFiles{.caseSensitive = true, .fileAndFolder = false};
inline constexpr search::Options kCasedFilesWhole{
    .caseSensitive = true, .fileAndFolder = false, .wholeName = true};
inline constexpr search::Options kAllOptions[] = {kFoldedFiles, kFoldedFilesWhole, kFolded, kFoldedWhole,
                                                  kCasedFiles,  kCasedFilesWhole,  kCased,  kCasedWhole};

namespace search {
// The boxes ticked, for failure messages.
inline std::ostream& operator<<(std::ostream& out, const Options& options) {
    return out << (options.caseSensitive ? "cased" : "folded")
               << (options.fileAndFolder ? "" : ", files only") << (options.wholeName ? ", whole name" : "");
}
}  // namespace search
