#include "platform/MountWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace platform {

MountWatcher::MountWatcher(std::string tablePath) : m_tablePath(std::move(tablePath)) {
    m_fd = ::open(m_tablePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return;
    ReadTable(m_mounts);
    // The mount table is always readable; only the exceptional condition (POLLPRI) means "changed".
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Exception);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Recheck(); });
}

MountWatcher::~MountWatcher() {
    m_notifier.reset();
    if (m_fd >= 0) ::close(m_fd);
}

void MountWatcher::SetArrivalHandler(std::function<void()> arrived) {
    m_arrived = std::move(arrived);
}

void MountWatcher::Recheck() {
    std::vector<MountRecord> now;
    if (!ReadTable(now)) return;
    const bool arrived = !NewMounts(m_mounts, now).empty();
    m_mounts = std::move(now);
    if (arrived && m_arrived) m_arrived();
}

bool MountWatcher::ReadTable(std::vector<MountRecord>& records) const {
    if (m_fd < 0) return false;
    std::string text;
    char buffer[16384];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(m_fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    records = ParseMountInfo(text);
    return true;
}

}  // namespace platform
