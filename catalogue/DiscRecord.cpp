#include "catalogue/DiscRecord.h"

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

}  // namespace catalogue
