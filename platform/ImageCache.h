#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

class ImageVolume;

// What tells one state of an image file from another.
struct ImageStamp {
    std::uint64_t size = 0;
    std::int64_t changed = 0;        // the time of the last change of the data, in the system's units
    std::int64_t statusChanged = 0;  // the time of the last change of the file at all (none on Windows)
    bool operator==(const ImageStamp&) const = default;
};

// The image at `path` as it is now (`stamp`), from the few images read last while their files do not
// change, or read now (see ImageVolume::Read): browsing an image folder by folder reads its tree once.
// Safe to call from the walking thread and the window's at once.
std::shared_ptr<const ImageVolume> KeptImage(const std::string& path, ImageStamp stamp, std::string& problem,
                                             const std::atomic<bool>* cancel,
                                             const std::function<void(std::size_t)>& progress = {});

}  // namespace platform
