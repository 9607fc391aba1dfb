#include "platform/MountWatcher.h"

#include <libmount/libmount.h>

#include <QSocketNotifier>

namespace platform {

MountWatcher::MountWatcher(std::string tablePath) : m_tablePath(std::move(tablePath)) {
    m_bReadable = ReadMountInfo(m_tablePath, m_mounts);
    if (m_bReadable && m_tablePath == kSystemMountTable) Monitor();
}

MountWatcher::~MountWatcher() {
    m_notifier.reset();
    if (m_pMonitor) mnt_unref_monitor(m_pMonitor);
}

void MountWatcher::SetArrivalHandler(std::function<void()> arrived) {
    m_arrived = std::move(arrived);
}

void MountWatcher::Recheck() {
    std::vector<MountRecord> now;
    if (!m_bReadable || !ReadMountInfo(m_tablePath, now)) return;
    const bool arrived = !NewMounts(m_mounts, now).empty();
    m_mounts = std::move(now);
    if (arrived && m_arrived) m_arrived();
}

// Without a monitor (no /proc mounted, say) the program runs on and only hears of no arrival.
void MountWatcher::Monitor() {
    m_pMonitor = mnt_new_monitor();
    if (!m_pMonitor || mnt_monitor_enable_kernel(m_pMonitor, 1) != 0) return;
    const int fd = mnt_monitor_get_fd(m_pMonitor);
    if (fd < 0) return;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        // The event must be taken off the monitor, or its descriptor stays readable.
        mnt_monitor_event_cleanup(m_pMonitor);
        Recheck();
    });
}

}  // namespace platform
