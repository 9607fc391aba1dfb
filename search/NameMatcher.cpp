#include "search/NameMatcher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "catalogue/Ascii.h"
#include "catalogue/FolderRows.h"
#include "catalogue/Utf8.h"
#include "search/CaseFold.h"

namespace {

inline unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// Byte comparison of a stored name against an already folded needle; Fold lower-cases the name's ASCII
// letters on the fly so that no folded copy of the name is made.
template <bool Fold>
inline bool SameBytes(const char* name, const char* needle, std::size_t length) {
    if constexpr (!Fold) {
        return std::memcmp(name, needle, length) == 0;
    } else {
        for (std::size_t i = 0; i < length; ++i) {
            if (catalogue::AsciiLower(name[i]) != needle[i]) return false;
        }
        return true;
    }
}

using catalogue::WordAt;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = catalogue::kHighBits;
constexpr std::uint64_t kLows = ~kHighs;

// How common each byte is in file names, the most common first; bytes not listed count as rare.
constexpr std::string_view kCommonFirst = ".etaoinsrlhdcmpug0123456789_- bfywkvxjqz";

constexpr std::array<unsigned char, 256> MakeRarity() {
    std::array<unsigned char, 256> rarity{};
    rarity.fill(255);
    for (std::size_t i = 0; i < kCommonFirst.size(); ++i) {
        const auto c = static_cast<unsigned char>(kCommonFirst[i]);
        rarity[c] = static_cast<unsigned char>(i);
        if (c >= 'a' && c <= 'z') rarity[c - ('a' - 'A')] = static_cast<unsigned char>(i);
    }
    return rarity;
}
constexpr std::array<unsigned char, 256> kRarity = MakeRarity();

// First offset at or after `from` where `needle` occurs in `hay`, or npos. Names are short, so instead of
// calling memchr per name the candidates are found eight bytes at a time, by the needle's byte at `rare`
// (its rarest, so that few candidates need a compare); folding sets bit 0x20 of each byte first, which turns
// 'Z' into 'z' and no other byte into a letter.
template <bool Fold>
inline std::size_t FindIn(std::string_view hay, std::string_view needle, std::size_t rare, std::size_t from) {
    constexpr std::size_t kNone = std::string_view::npos;
    const std::size_t size = hay.size();
    if (size < needle.size() || from > size - needle.size()) return kNone;
    if (needle.empty()) return from;
    const std::size_t last = size - needle.size();
    const unsigned char key = Byte(needle[rare]);
    const std::uint64_t orMask = Fold && key >= 'a' && key <= 'z' ? kOnes * 0x20 : 0;
    const std::uint64_t wanted = kOnes * key;
    const char* h = hay.data();
    // The high bit of each byte of the word from `base` that may begin the needle, up to `last`: adding 0x7F
    // to the low seven bits of a byte of x sets its high bit when any bit is set, with no carry beyond it.
    const auto candidates = [&](std::size_t base) {
        const std::uint64_t x = (WordAt(h, size, base + rare) | orMask) ^ wanted;
        const std::uint64_t zeros = ~(((x & kLows) + kLows) | x | kLows);
        return zeros & (kHighs >> (8 * (7 - std::min<std::size_t>(last - base, 7))));
    };
    const auto verify = [&](std::uint64_t found, std::size_t base) {
        for (; found != 0; found &= found - 1) {
            const std::size_t at = base + static_cast<std::size_t>(std::countr_zero(found)) / 8;
            if (SameBytes<Fold>(h + at, needle.data(), needle.size())) return at;
        }
        return kNone;
    };
    if (size < 8) {
        for (std::size_t at = from; at <= last; ++at) {
            if (SameBytes<Fold>(h + at, needle.data(), needle.size())) return at;
        }
        return kNone;
    }
    if (last - from < 24) {
        // Most names have at most 24 places for the needle: three words, and one branch that is rarely taken,
        // where a loop would mispredict its end for every other name. The words end at `last`; where they
        // overlap a failed candidate is merely tried again.
        const std::size_t second = std::min(from + 8, last);
        const std::size_t third = std::min(from + 16, last);
        const std::uint64_t found0 = candidates(from);
        const std::uint64_t found1 = candidates(second);
        const std::uint64_t found2 = candidates(third);
        if ((found0 | found1 | found2) == 0) return kNone;
        std::size_t at = verify(found0, from);
        if (at == kNone) at = verify(found1, second);
        return at != kNone ? at : verify(found2, third);
    }
    for (std::size_t base = from; base <= last; base += 8) {
        const std::size_t at = verify(candidates(base), base);
        if (at != kNone) return at;
    }
    return kNone;
}

}  // namespace

NameMatcher::NameMatcher(std::string_view text, bool caseSensitive, bool wholeName)
    : m_fold(!caseSensitive), m_text(caseSensitive ? std::string(text) : casefold::FoldText(text)) {
    if (m_fold) {
        // Against an ASCII text a name beyond ASCII matches folded as it matches with only its ASCII letters
        // folded, unless one of its characters lower-cases to an ASCII byte of the text; those begin with a
        // few lead bytes. A text beyond ASCII needs every name beyond ASCII folded per character.
        for (const auto& [character, lower] : casefold::FoldsToAscii()) {
            std::string utf8;
            catalogue::AppendUtf8(utf8, character);
            if (m_text.find(lower) != std::string::npos) m_foldWhen[Byte(utf8[0])] = true;
        }
        if (!catalogue::IsAscii(m_text)) std::fill(m_foldWhen.begin() + 0x80, m_foldWhen.end(), true);
        m_foldSomeNames = std::find(m_foldWhen.begin(), m_foldWhen.end(), true) != m_foldWhen.end();
    }
    const bool hasStar = m_text.find('*') != std::string::npos;
    if (wholeName) {
        m_mode = hasStar ? Mode::Nothing : Mode::Whole;
        return;
    }
    if (!hasStar) {
        m_mode = Mode::Substring;
        m_whole = MakePiece(0, m_text.size());
        return;
    }
    m_mode = Mode::Pattern;
    const std::string_view pattern = m_text;
    m_anchoredStart = pattern.front() != '*';
    m_anchoredEnd = pattern.back() != '*';
    m_tryStem = pattern.substr(pattern.rfind('*')).find('.') == std::string_view::npos;
    std::size_t start = 0;
    while (start <= pattern.size()) {
        const std::size_t star = std::min(pattern.find('*', start), pattern.size());
        if (star > start) m_pieces.push_back(MakePiece(start, star - start));
        start = star + 1;
    }
}

NameMatcher::Piece NameMatcher::MakePiece(std::size_t at, std::size_t size) const {
    Piece piece{at, size, 0};
    for (std::size_t i = 1; i < size; ++i) {
        if (kRarity[Byte(m_text[at + i])] > kRarity[Byte(m_text[at + piece.rare])]) piece.rare = i;
    }
    return piece;
}

std::size_t NameMatcher::ScanEntries(const EntryStore& entries, bool filesOnly,
                                     const std::function<void(std::size_t)>& hit) const {
    switch (m_mode) {
        case Mode::Substring:
            return ScanAs<Mode::Substring>(entries, filesOnly, hit);
        case Mode::Whole:
            return ScanAs<Mode::Whole>(entries, filesOnly, hit);
        case Mode::Pattern:
            return ScanAs<Mode::Pattern>(entries, filesOnly, hit);
        case Mode::Nothing:
            break;
    }
    return 0;
}

// One loop per mode, so that the whole test of a name is compiled into it.
template <NameMatcher::Mode M>
std::size_t NameMatcher::ScanAs(const EntryStore& entries, bool filesOnly,
                                const std::function<void(std::size_t)>& hit) const {
    const catalogue::FolderRows folders(entries);
    const bool skips = filesOnly && folders.Any();
    std::size_t hits = 0;
    const std::size_t count = entries.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (skips && folders.IsFolder(i)) continue;
        const std::string_view name = entries.Name(i);
        // Only deleted entries have empty names in practice, and they must stay invisible to any pattern.
        if (name.empty() && entries.IsDeleted(i)) continue;
        if (!MatchesName<M>(name)) continue;
        ++hits;
        hit(i);
    }
    return hits;
}

template <NameMatcher::Mode M>
bool NameMatcher::MatchesName(std::string_view name) const {
    if (!m_fold) return MatchesAs<false, M>(name);
    if (NeedsCharacterFolding(name) && casefold::FoldUtf8(name, m_foldedName)) {
        return MatchesAs<false, M>(m_foldedName);
    }
    return MatchesAs<true, M>(name);
}

bool NameMatcher::NeedsCharacterFolding(std::string_view name) const {
    if (!m_foldSomeNames || catalogue::IsAscii(name)) return false;
    return std::any_of(name.begin(), name.end(), [this](char c) { return m_foldWhen[Byte(c)]; });
}

template <bool Fold, NameMatcher::Mode M>
bool NameMatcher::MatchesAs(std::string_view name) const {
    if constexpr (M == Mode::Substring) {
        return FindIn<Fold>(name, m_text, m_whole.rare, 0) != std::string_view::npos;
    } else if constexpr (M == Mode::Whole) {
        return name.size() == m_text.size() && SameBytes<Fold>(name.data(), m_text.data(), name.size());
    } else {
        if (MatchesPattern<Fold>(name)) return true;
        const std::size_t dot = name.find('.');
        return m_tryStem && dot != std::string_view::npos && MatchesPattern<Fold>(name.substr(0, dot));
    }
}

// With only '*' as wildcard, taking each middle piece at its leftmost place never loses a match.
template <bool Fold>
bool NameMatcher::MatchesPattern(std::string_view name) const {
    std::size_t first = 0;
    std::size_t last = m_pieces.size();
    std::size_t at = 0;
    std::size_t end = name.size();
    if (m_anchoredStart) {
        const std::string_view head = PieceText(m_pieces[first++]);
        if (name.size() < head.size() || !SameBytes<Fold>(name.data(), head.data(), head.size()))
            return false;
        at = head.size();
    }
    if (m_anchoredEnd) {
        const std::string_view tail = PieceText(m_pieces[--last]);
        if (end < at + tail.size() ||
            !SameBytes<Fold>(name.data() + end - tail.size(), tail.data(), tail.size())) {
            return false;
        }
        end -= tail.size();
    }
    const std::string_view middle = name.substr(0, end);
    for (std::size_t piece = first; piece < last; ++piece) {
        const std::string_view text = PieceText(m_pieces[piece]);
        const std::size_t found = FindIn<Fold>(middle, text, m_pieces[piece].rare, at);
        if (found == std::string_view::npos) return false;
        at = found + text.size();
    }
    return true;
}
