#include "search/HitFilter.h"

#include <utility>

#include "catalogue/FormatSize.h"

namespace search {

HitFilter::HitFilter(const EntryStore& entries, HitLimits limits)
    : m_entries(entries), m_limits(std::move(limits)), m_folders(entries) {
    if (m_limits.disc) m_label = entries.FindText(*m_limits.disc);
}

bool HitFilter::Passes(std::size_t row) const {
    if (m_limits.disc && m_entries.LabelId(row) != m_label) return false;
    if (m_limits.minSize || m_limits.maxSize) {
        if (m_folders.IsFolder(row)) return false;
        const std::optional<std::uint64_t> size = catalogue::ParseSize(m_entries.SizeText(row));
        if (!size || (m_limits.minSize && *size < *m_limits.minSize) ||
            (m_limits.maxSize && *size > *m_limits.maxSize))
            return false;
    }
    if (m_limits.newer || m_limits.older) {
        const std::int64_t time = m_entries.Modified(row);
        if (time == EntryStore::kUnknownTime || (m_limits.newer && time < *m_limits.newer) ||
            (m_limits.older && time >= *m_limits.older))
            return false;
    }
    return true;
}

std::optional<std::uint64_t> ParseByteCount(std::string_view text) {
    unsigned shift = 0;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K':
            case 'k':
                shift = 10;
                break;
            case 'M':
            case 'm':
                shift = 20;
                break;
            case 'G':
            case 'g':
                shift = 30;
                break;
            default:
                break;
        }
    }
    if (shift != 0) text.remove_suffix(1);
    const std::optional<std::uint64_t> count = catalogue::ParseSize(text);
    if (!count || *count > (UINT64_MAX >> shift)) return std::nullopt;
    return *count << shift;
}

}  // namespace search
