#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/EntryStore.h"

// Finds the catalogue entries whose names match the text of one search.
// Whole-name mode wants the name equal to the text; part-name mode finds the text anywhere in the name,
// or, when it holds '*', matches it as a wildcard pattern against the whole name (or the name's stem).
// A copy is a matcher of its own: nothing in it points into another one.
class NameMatcher {
public:
    // `caseSensitive` false folds the text and every name to lower case (casefold::FoldText) first.
    NameMatcher(std::string_view text, bool caseSensitive, bool wholeName);

    // Calls `hit(index)` for each entry whose name matches, in index order, passing over deleted entries and,
    // with `filesOnly`, folders; returns the number of hits. One scan at a time.
    std::size_t ScanEntries(const EntryStore& entries, bool filesOnly,
                            const std::function<void(std::size_t index)>& hit) const;

private:
    enum class Mode { Substring, Whole, Pattern, Nothing };
    // A run of the text to find in names, as a place in m_text, with the offset of its rarest byte.
    struct Piece {
        std::size_t at = 0;
        std::size_t size = 0;
        std::size_t rare = 0;
    };
    Piece MakePiece(std::size_t at, std::size_t size) const;

    template <Mode M>
    std::size_t ScanAs(const EntryStore& entries, bool filesOnly,
                       const std::function<void(std::size_t index)>& hit) const;
    template <Mode M>
    bool MatchesName(std::string_view name) const;
    bool NeedsCharacterFolding(std::string_view name) const;
    template <bool Fold, Mode M>
    bool MatchesAs(std::string_view name) const;
    template <bool Fold>
    bool MatchesPattern(std::string_view name) const;
    std::string_view PieceText(const Piece& piece) const { return {m_text.data() + piece.at, piece.size}; }

    Mode m_mode = Mode::Nothing;
    bool m_fold = false;
    std::string m_text;                  // the text, lower-cased when folding
    Piece m_whole;                       // Substring: the whole text
    std::vector<Piece> m_pieces;         // Pattern: the runs between '*', empty runs left out
    bool m_anchoredStart = false;        // Pattern: does not begin with '*'
    bool m_anchoredEnd = false;          // Pattern: does not end with '*'
    bool m_tryStem = false;              // Pattern: no '.' after the last '*'
    bool m_foldSomeNames = false;        // some names beyond ASCII must be folded per character:
    std::array<bool, 256> m_foldWhen{};  // those that hold one of these bytes
    mutable std::string m_foldedName;    // reused for names with letters beyond ASCII: one matcher per scan
};
