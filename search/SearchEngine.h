#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "search/Options.h"

class CKavrelDoc;

namespace search {

inline constexpr const char* kNotFoundMessage = "The file was not finded!";
inline constexpr const char* kStarWarning = "waring: Can't include characters:'*' ";

// How far a search went: refused before it began, nothing to search, or every entry tried.
enum class Outcome {
    kStarRefused,  // a whole-name text holds '*' (kStarWarning says so); nothing else happens
    kNoEntries,    // the catalogue is empty; a whole-name search still says kNotFoundMessage, a part-name one
                   // says nothing
    kSearched,     // every entry was tried; without hits kNotFoundMessage says so
};

// What a search found: its outcome and the matching entries in index order.
struct Findings {
    Outcome outcome = Outcome::kSearched;
    std::vector<std::size_t> hits;
};

// The search with `options` over every entry of `doc`, as the Find command runs it; shows and tells nothing.
Findings Find(const CKavrelDoc& doc, const std::string& text, const Options& options);

// Offers `hits` to the results list: a clearing hint::kResultRow, then one per hit in order.
void ListHits(CKavrelDoc& doc, const std::vector<std::size_t>& hits);

// The scan alone, for the CLI and benchmarks: calls `hit(index)` for each matching entry in index order
// and returns the number of hits. A whole-name text containing '*' matches nothing (callers warn first).
std::size_t Scan(const CKavrelDoc& doc, const std::string& text, const Options& options,
                 const std::function<void(std::size_t index)>& hit);

}  // namespace search
