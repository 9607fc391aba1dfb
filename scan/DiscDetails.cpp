#include "scan/DiscDetails.h"

#include <chrono>
#include <exception>

#include "platform/Location.h"
#include "platform/VolumeDetails.h"

namespace scan {

static_assert(platform::VolumeDetails::kUnknownSize == catalogue::DiscRecord::kUnknown);

catalogue::DiscRecord ReadDiscRecord(const std::string& drive) {
    catalogue::DiscRecord record;
    record.catalogued =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    const platform::Location where = platform::Location(drive).Absolute();
    record.source = where.IsPath() ? where.Path() : where.Text();
    try {
        platform::VolumeDetails details = platform::ReadVolumeDetails(where);
        record.device = std::move(details.device);
        record.volumeLabel = std::move(details.label);
        record.fileSystem = std::move(details.fileSystem);
        record.serial = std::move(details.serial);
        record.capacity = details.capacity;
        record.freeBytes = details.freeBytes;
    } catch (const std::exception&) {
        // Details are a bonus: a disc that was walked is catalogued without them rather than not at all.
    }
    return record;
}

}  // namespace scan
