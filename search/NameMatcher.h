#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/EntryStore.h"

// Finds the catalogue entries whose names match the text of one search.
// Whole-name mode wants the name equal to the text; part-name mode finds the text anywhere in the name,
// or, when it holds '*', matches it as a wildcard pattern against the whole name (or the name's stem).
class NameMatcher {
public:
    // `caseSensitive` false folds the text and every name to lower case before they are compared.
    NameMatcher(std::string_view text, bool caseSensitive, bool wholeName);

    // Calls `hit(index)` for each entry whose name matches, in index order, passing over deleted entries and
    // those of kind `skippedKind` (kNoId: none); returns the number of hits. One scan at a time.
    std::size_t ScanEntries(const EntryStore& entries, EntryStore::TextId skippedKind,
                            const std::function<void(std::size_t index)>& hit) const;

private:
    enum class Mode { Substring, Whole, Pattern, Nothing };

    template <Mode M>
    std::size_t ScanAs(const EntryStore& entries, EntryStore::TextId skippedKind,
                       const std::function<void(std::size_t index)>& hit) const;
    template <Mode M>
    bool MatchesName(std::string_view name) const;
    template <bool Fold, Mode M>
    bool MatchesAs(std::string_view name) const;
    template <bool Fold>
    bool MatchesPattern(std::string_view name) const;

    Mode m_mode = Mode::Nothing;
    bool m_fold = false;
    std::string m_text;                      // the text, lower-cased when folding
    std::vector<std::string_view> m_pieces;  // Pattern: the runs between '*', empty runs left out
    bool m_anchoredStart = false;            // Pattern: does not begin with '*'
    bool m_anchoredEnd = false;              // Pattern: does not end with '*'
    bool m_tryStem = false;                  // Pattern: no '.' after the last '*'
    bool m_unicodeNames = false;             // names beyond ASCII must be folded as Unicode to compare right
    mutable std::string m_foldedName;  // reused for names with letters beyond ASCII: one matcher per scan
};
