#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "docview/IResultsPane.h"

class CKavrelDoc;
class IMessages;

namespace search {

// Option code parts: the code is the sum of those that are set (0, 1, 10, 11, 100, 101, 110, 111).
inline constexpr int kCaseSensitive = 100;
inline constexpr int kFileAndFolder = 10;
inline constexpr int kWholeWord = 1;

inline constexpr const char* kNotFoundMessage = "The file was not finded!";
inline constexpr const char* kStarWarning = "waring: Can't include characters:'*' ";

// The search operation of option `code` over every entry of `doc`, in index order: messages, pane
// switching and one hint 15 per hit (after a clearing hint 15), exactly as the Find command does it.
void Find(CKavrelDoc& doc, IMessages& messages, IResultsPane& pane, const std::string& text, int code);

// The scan alone, for the CLI and benchmarks: calls `hit(index)` for each matching entry in index order
// and returns the number of hits. A whole-name text containing '*' matches nothing (callers warn first).
std::size_t Scan(const CKavrelDoc& doc, const std::string& text, int code,
                 const std::function<void(std::size_t index)>& hit);

}  // namespace search
