#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Tests catalogue names against the text of one search: built once, then asked once per entry.
// Whole-name mode wants the name equal to the text; part-name mode finds the text anywhere in the name,
// or, when it holds '*', matches it as a wildcard pattern against the whole name (or the name's stem).
class NameMatcher {
public:
    // `caseSensitive` false folds the text and every name to lower case before they are compared.
    NameMatcher(std::string_view text, bool caseSensitive, bool wholeName);

    // True when the stored name `name` matches the text. Not for use from several threads at once.
    bool Matches(std::string_view name) const;

private:
    enum class Mode { Substring, Whole, Pattern, Nothing };

    template <bool Fold>
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
