#include "cli/DiscDetails.h"

#include <string_view>

namespace cli {

namespace {
const catalogue::DiscRecord kNoRecord;

Listing::Value Bytes(std::int64_t bytes) {
    if (bytes < 0) return Listing::Null{};
    return static_cast<std::uint64_t>(bytes);
}
}  // namespace

void AppendDetailColumns(std::vector<Listing::Column>& columns) {
    for (const std::string_view key : {"catalogued", "source", "device", "volume_label", "file_system",
                                       "serial", "capacity", "free", "location", "notes"})
        columns.push_back({key});
}

void AppendDetails(const catalogue::DiscRecord* record, std::vector<Listing::Value>& values) {
    const catalogue::DiscRecord& r = record ? *record : kNoRecord;
    values.insert(
        values.end(),
        {Listing::Time{r.catalogued}, std::string_view(r.source), std::string_view(r.device),
         std::string_view(r.volumeLabel), std::string_view(r.fileSystem), std::string_view(r.serial),
         Bytes(r.capacity), Bytes(r.freeBytes), std::string_view(r.location), std::string_view(r.notes)});
}

void AppendNoDetails(std::vector<Listing::Value>& values) {
    values.resize(values.size() + 10);
}

}  // namespace cli
