#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "search/IResultsPane.h"
#include "search/Options.h"

class CKavrelDoc;
class IMessages;

namespace search {

inline constexpr const char* kNotFoundMessage = "The file was not finded!";
inline constexpr const char* kStarWarning = "waring: Can't include characters:'*' ";

// The search with `options` over every entry of `doc`, in index order: messages, pane switching and one
// hint::kResultRow per hit (after a clearing one), exactly as the Find command does it.
void Find(CKavrelDoc& doc, IMessages& messages, IResultsPane& pane, const std::string& text,
          const Options& options);

// The scan alone, for the CLI and benchmarks: calls `hit(index)` for each matching entry in index order
// and returns the number of hits. A whole-name text containing '*' matches nothing (callers warn first).
std::size_t Scan(const CKavrelDoc& doc, const std::string& text, const Options& options,
                 const std::function<void(std::size_t index)>& hit);

}  // namespace search
