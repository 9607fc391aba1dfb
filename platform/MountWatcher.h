#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceNotices.h"
#include "platform/MountWatcherTable.h"

class QSocketNotifier;

namespace platform {

// Device notices on POSIX systems: a disc's arrival is a new mount, seen by watching a mount table
// (the kernel marks /proc/self/mountinfo with POLLPRI whenever the table changes).
class MountWatcher : public DeviceNotices {
public:
    // Watches `tablePath`; the table read now is the baseline, so mounts that already exist never arrive.
    // A table that cannot be opened gives a watcher that never reports anything.
    explicit MountWatcher(std::string tablePath = "/proc/self/mountinfo");
    ~MountWatcher() override;

    void SetArrivalHandler(std::function<void()> arrived) override;

    // Reads the table again and reports an arrival when a mount appeared since the last read.
    void Recheck();

private:
    bool ReadTable(std::vector<MountRecord>& records) const;

    std::string m_tablePath;
    int m_fd = -1;
    std::vector<MountRecord> m_mounts;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_arrived;
};

}  // namespace platform
