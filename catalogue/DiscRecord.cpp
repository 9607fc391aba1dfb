#include "catalogue/DiscRecord.h"

#include <iterator>

namespace catalogue {

bool DiscRecord::Empty() const {
    return *this == DiscRecord{};
}

const DiscRecord* DiscRecords::Find(std::size_t first) const {
    const auto found = m_records.find(first);
    return found == m_records.end() ? nullptr : &found->second;
}

void DiscRecords::Set(std::size_t first, DiscRecord record) {
    if (record.Empty()) {
        m_records.erase(first);
    } else {
        m_records.insert_or_assign(first, std::move(record));
    }
}

void DiscRecords::Put(Node node) noexcept {
    if (node.empty()) return;
    m_records.erase(node.key());
    if (!node.mapped().Empty()) m_records.insert(std::move(node));
}

void DiscRecords::Replace(std::size_t first, std::size_t end, std::size_t newEnd) noexcept {
    m_records.erase(m_records.lower_bound(first), m_records.lower_bound(end));
    // Nodes are taken out and put back, never copied, so nothing is allocated; moving them up goes from the
    // last, down from the first, so that a moved key never meets one not yet moved.
    if (newEnd > end) {
        auto at = m_records.end();
        while (at != m_records.begin() && std::prev(at)->first >= end) {
            auto node = m_records.extract(std::prev(at));
            node.key() += newEnd - end;
            at = m_records.insert(at, std::move(node));  // the lowest moved node
        }
    } else if (newEnd < end) {
        for (auto at = m_records.lower_bound(end); at != m_records.end();) {
            const auto next = std::next(at);
            auto node = m_records.extract(at);
            node.key() -= end - newEnd;
            m_records.insert(next, std::move(node));
            at = next;
        }
    }
}

}  // namespace catalogue
