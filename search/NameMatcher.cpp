#include "search/NameMatcher.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "catalogue/DisplayText.h"
#include "catalogue/Utf8.h"

namespace {

constexpr std::array<unsigned char, 256> MakeAsciiLower() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    }
    return table;
}
constexpr std::array<unsigned char, 256> kAsciiLower = MakeAsciiLower();

inline unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// Lower-cases UTF-8 one code point at a time into `out`, which a caller reuses so that folding a name does
// not allocate. False when the text is not valid UTF-8.
bool FoldUtf8(std::string_view text, std::string& out) {
    out.clear();
    char32_t cp = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = Byte(text[pos]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(kAsciiLower[lead]));
            ++pos;
        } else if (NextCodePoint(text, pos, cp)) {
            AppendUtf8(out, QChar::toLower(cp));
        } else {
            return false;
        }
    }
    return true;
}

// The lower-case form of a text: every letter of valid UTF-8, the ASCII letters of anything else.
std::string FoldText(std::string_view text) {
    std::string folded;
    if (FoldUtf8(text, folded)) return folded;
    folded.assign(text);
    for (char& c : folded) c = static_cast<char>(kAsciiLower[Byte(c)]);
    return folded;
}

// Byte comparison of a stored name against an already folded needle; Fold lower-cases the name's ASCII
// letters on the fly so that no folded copy of the name is made.
template <bool Fold>
inline bool SameBytes(const char* name, const char* needle, std::size_t length) {
    if constexpr (!Fold) {
        return std::memcmp(name, needle, length) == 0;
    } else {
        for (std::size_t i = 0; i < length; ++i) {
            if (kAsciiLower[Byte(name[i])] != Byte(needle[i])) return false;
        }
        return true;
    }
}

static_assert(std::endian::native == std::endian::little, "FindIn reads candidates from the low byte up");

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// Eight bytes of `h` from `at` as one word, the bytes at and after `size` replaced by those of `pad`; reads
// nothing outside the text, and makes no library call for the short tail.
inline std::uint64_t LoadPadded(const char* h, std::size_t at, std::size_t size, std::uint64_t pad) {
    const std::size_t available = size - at;
    std::uint64_t word = 0;
    if (available >= 8) {
        std::memcpy(&word, h + at, 8);
        return word;
    }
    if (size >= 8) {
        std::memcpy(&word, h + size - 8, 8);
        word >>= (8 - available) * 8;
    } else {
        for (std::size_t i = 0; i < available; ++i) word |= std::uint64_t{Byte(h[at + i])} << (8 * i);
    }
    const std::uint64_t kept = (std::uint64_t{1} << (available * 8)) - 1;
    return (word & kept) | (pad & ~kept);
}

// First offset at or after `from` where `needle` occurs in `hay`, or npos. Names are short, so instead of
// calling memchr per name the candidates for the needle's first byte are found eight bytes at a time;
// folding sets bit 0x20 of each byte first, which turns 'Z' into 'z' and no other byte into a letter.
template <bool Fold>
inline std::size_t FindIn(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size() || from > hay.size() - needle.size()) return std::string_view::npos;
    const std::size_t last = hay.size() - needle.size();
    const unsigned char first = Byte(needle[0]);
    const bool letter = Fold && first >= 'a' && first <= 'z';
    const std::uint64_t orMask = letter ? kOnes * 0x20 : 0;
    const std::uint64_t wanted = kOnes * first;
    const char* h = hay.data();
    // A byte that cannot be taken for the first one, folded or not, fills the word after the name's end.
    const std::uint64_t pad = kOnes * static_cast<unsigned char>(first ^ 0x40);
    for (std::size_t chunk = from; chunk <= last; chunk += 8) {
        const std::uint64_t word = LoadPadded(h, chunk, hay.size(), pad);
        const std::uint64_t x = (word | orMask) ^ wanted;
        // Zero bytes of x are candidates; a borrow may flag a byte after a true one, which the compare
        // rejects.
        for (std::uint64_t found = (x - kOnes) & ~x & kHighs; found != 0; found &= found - 1) {
            const std::size_t at = chunk + static_cast<std::size_t>(std::countr_zero(found)) / 8;
            if (at > last) return std::string_view::npos;
            if (SameBytes<Fold>(h + at + 1, needle.data() + 1, needle.size() - 1)) return at;
        }
    }
    return std::string_view::npos;
}

}  // namespace

NameMatcher::NameMatcher(std::string_view text, bool caseSensitive, bool wholeName)
    : m_fold(!caseSensitive), m_text(caseSensitive ? std::string(text) : FoldText(text)) {
    // Beyond ASCII only the Kelvin sign lower-cases to an ASCII letter ('k'), so an ASCII text without 'k'
    // matches a folded name exactly where it matches the name with its ASCII letters folded.
    m_unicodeNames = m_fold && (!IsAscii(m_text) || m_text.find('k') != std::string::npos);
    const bool hasStar = m_text.find('*') != std::string::npos;
    if (wholeName) {
        m_mode = hasStar ? Mode::Nothing : Mode::Whole;
        return;
    }
    if (!hasStar) {
        m_mode = Mode::Substring;
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
        if (star > start) m_pieces.push_back(pattern.substr(start, star - start));
        start = star + 1;
    }
}

std::size_t NameMatcher::ScanEntries(const EntryStore& entries, EntryStore::TextId skippedKind,
                                     const std::function<void(std::size_t)>& hit) const {
    switch (m_mode) {
        case Mode::Substring:
            return ScanAs<Mode::Substring>(entries, skippedKind, hit);
        case Mode::Whole:
            return ScanAs<Mode::Whole>(entries, skippedKind, hit);
        case Mode::Pattern:
            return ScanAs<Mode::Pattern>(entries, skippedKind, hit);
        case Mode::Nothing:
            break;
    }
    return 0;
}

// One loop per mode, so that the whole test of a name is compiled into it.
template <NameMatcher::Mode M>
std::size_t NameMatcher::ScanAs(const EntryStore& entries, EntryStore::TextId skippedKind,
                                const std::function<void(std::size_t)>& hit) const {
    const bool skips = skippedKind != EntryStore::kNoId;
    std::size_t hits = 0;
    const std::size_t count = entries.Size();
    for (std::size_t i = 0; i < count; ++i) {
        if (skips && entries.KindId(i) == skippedKind) continue;
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
    if (m_unicodeNames && !IsAscii(name) && FoldUtf8(name, m_foldedName)) {
        return MatchesAs<false, M>(m_foldedName);
    }
    return MatchesAs<true, M>(name);
}

template <bool Fold, NameMatcher::Mode M>
bool NameMatcher::MatchesAs(std::string_view name) const {
    if constexpr (M == Mode::Substring) {
        return FindIn<Fold>(name, m_text, 0) != std::string_view::npos;
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
        const std::string_view head = m_pieces[first++];
        if (name.size() < head.size() || !SameBytes<Fold>(name.data(), head.data(), head.size()))
            return false;
        at = head.size();
    }
    if (m_anchoredEnd) {
        const std::string_view tail = m_pieces[--last];
        if (end < at + tail.size() ||
            !SameBytes<Fold>(name.data() + end - tail.size(), tail.data(), tail.size())) {
            return false;
        }
        end -= tail.size();
    }
    const std::string_view middle = name.substr(0, end);
    for (std::size_t piece = first; piece < last; ++piece) {
        const std::size_t found = FindIn<Fold>(middle, m_pieces[piece], at);
        if (found == std::string_view::npos) return false;
        at = found + m_pieces[piece].size();
    }
    return true;
}
