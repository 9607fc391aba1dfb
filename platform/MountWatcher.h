#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceNotices.h"
#include "platform/MountTable.h"

class QSocketNotifier;
struct libmnt_monitor;

namespace platform {

// Device notices on Linux: a disc's arrival is a new mount, seen by comparing the mount table before and
// after libmount's monitor reports that the kernel changed it.
class MountWatcher : public DeviceNotices {
public:
    // Watches `tablePath`; the table read now is the baseline, so mounts that already exist never arrive.
    // Only the system's table is monitored; another table (a test's copy) is read when Recheck runs.
    // A table that cannot be read now gives a watcher that never reports anything.
    explicit MountWatcher(std::string tablePath = kSystemMountTable);
    ~MountWatcher() override;
    MountWatcher(const MountWatcher&) = delete;
    MountWatcher& operator=(const MountWatcher&) = delete;

    // `arrived` runs on this watcher's thread for every arrival.
    void SetArrivalHandler(std::function<void()> arrived) override;

    // Reads the table again and reports an arrival when a mount appeared since the last read.
    void Recheck();

private:
    void Monitor();

    std::string m_tablePath;
    bool m_bReadable = false;
    std::vector<MountRecord> m_mounts;
    libmnt_monitor* m_pMonitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_arrived;
};

}  // namespace platform
