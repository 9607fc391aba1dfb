#include "scan/LiveRow.h"

#include "catalogue/FormatSize.h"
#include "platform/DirectoryListing.h"

namespace scan {

LiveRow LiveRow::FromItem(const platform::DirItem& item) {
    // Optical media mark everything read-only, other file systems set hidden or archive bits too:
    // only the directory bit says what an item is.
    const bool folder = platform::IsFolder(item.attributes);
    return {item.name, folder ? kLiveKindFolder : kLiveKindFile, catalogue::FormatSize(item.size),
            folder ? "0" : "1"};
}

}  // namespace scan
