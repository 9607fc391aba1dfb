#include "search/NameMatcher.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

#include "catalogue/DisplayText.h"

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

// The lower-case form of a text: every letter of valid UTF-8, the ASCII letters of anything else.
std::string FoldText(std::string_view text) {
    if (!IsAscii(text) && IsValidUtf8(text)) {
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdString();
    }
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(kAsciiLower[Byte(c)]);
    return folded;
}

bool HasHighByte(std::string_view text) {
    // Names are short, so a word-at-a-time test is not worth its setup.
    for (char c : text) {
        if (Byte(c) >= 0x80) return true;
    }
    return false;
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

// First offset at or after `from` where `needle` occurs in `hay`, or npos.
template <bool Fold>
inline std::size_t FindIn(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.empty()) return from <= hay.size() ? from : std::string_view::npos;
    if (hay.size() < needle.size() || from > hay.size() - needle.size()) return std::string_view::npos;
    const std::size_t last = hay.size() - needle.size();
    const unsigned char first = Byte(needle[0]);
    const char* h = hay.data();
    if constexpr (!Fold) {
        for (std::size_t at = from; at <= last;) {
            const void* hit = std::memchr(h + at, first, last - at + 1);
            if (hit == nullptr) return std::string_view::npos;
            at = static_cast<std::size_t>(static_cast<const char*>(hit) - h);
            if (std::memcmp(h + at + 1, needle.data() + 1, needle.size() - 1) == 0) return at;
            ++at;
        }
    } else {
        for (std::size_t at = from; at <= last; ++at) {
            if (kAsciiLower[Byte(h[at])] == first &&
                SameBytes<true>(h + at + 1, needle.data() + 1, needle.size() - 1)) {
                return at;
            }
        }
    }
    return std::string_view::npos;
}

}  // namespace

NameMatcher::NameMatcher(std::string_view text, bool caseSensitive, bool wholeName)
    : m_fold(!caseSensitive), m_text(caseSensitive ? std::string(text) : FoldText(text)) {
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

bool NameMatcher::Matches(std::string_view name) const {
    if (!m_fold) return MatchesAs<false>(name);
    if (HasHighByte(name) && IsValidUtf8(name)) {
        // Letters outside ASCII fold only through Unicode case mapping; such names are rare enough to copy.
        return MatchesAs<false>(FoldText(name));
    }
    return MatchesAs<true>(name);
}

template <bool Fold>
bool NameMatcher::MatchesAs(std::string_view name) const {
    switch (m_mode) {
        case Mode::Substring:
            return FindIn<Fold>(name, m_text, 0) != std::string_view::npos;
        case Mode::Whole:
            return name.size() == m_text.size() && SameBytes<Fold>(name.data(), m_text.data(), name.size());
        case Mode::Pattern: {
            if (MatchesPattern<Fold>(name)) return true;
            const std::size_t dot = name.find('.');
            return m_tryStem && dot != std::string_view::npos && MatchesPattern<Fold>(name.substr(0, dot));
        }
        case Mode::Nothing:
            break;
    }
    return false;
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
