#pragma once

#include <functional>
#include <memory>

namespace platform {

// Tells the program that a device (a disc) arrived. On Linux a disc's arrival is a new mount of an
// optical drive, seen by watching the mount table; on Windows it is WM_DEVICECHANGE.
class DeviceNotices {
public:
    virtual ~DeviceNotices() = default;
    // `arrived` runs on the thread that owns the watcher (the UI thread) for every arrival.
    virtual void SetArrivalHandler(std::function<void()> arrived) = 0;
};

// The system's watcher for this platform (a mount-table watcher on Linux).
std::unique_ptr<DeviceNotices> CreateSystemDeviceNotices();

}  // namespace platform
