#include <libmount/libmount.h>
#include <libudev.h>
#include <sys/epoll.h>
#include <unistd.h>

#include "platform/DriveMedia.h"

namespace platform {

namespace {

// The kernel's media-change events (through udev, once its rules have run, so that the device is ready) and
// changes of the mount table, behind one descriptor. The kernel's filter knows subsystems, not device names:
// events of other disks wake the watcher too, which then looks at its drives for nothing, cheaply.
class UdevNotices final : public MediaNotices {
public:
    UdevNotices() {
        m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
        if (m_epoll < 0) return;
        m_udev = udev_new();
        if (m_udev) m_devices = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_devices &&
            (udev_monitor_filter_add_match_subsystem_devtype(m_devices, "block", "disk") < 0 ||
             udev_monitor_enable_receiving(m_devices) < 0 || !Watch(udev_monitor_get_fd(m_devices)))) {
            udev_monitor_unref(m_devices);
            m_devices = nullptr;
        }
        m_mounts = mnt_new_monitor();
        if (m_mounts &&
            (mnt_monitor_enable_kernel(m_mounts, 1) != 0 || !Watch(mnt_monitor_get_fd(m_mounts)))) {
            mnt_unref_monitor(m_mounts);
            m_mounts = nullptr;
        }
    }
    ~UdevNotices() override {
        if (m_devices) udev_monitor_unref(m_devices);
        if (m_udev) udev_unref(m_udev);
        if (m_mounts) mnt_unref_monitor(m_mounts);
        if (m_epoll >= 0) ::close(m_epoll);
    }
    UdevNotices(const UdevNotices&) = delete;
    UdevNotices& operator=(const UdevNotices&) = delete;

    bool Working() const { return m_devices || m_mounts; }
    int Fd() const override { return m_epoll; }
    void Drain() override {
        // Both sources are non-blocking: udev's socket is opened so, and libmount's cleanup reads only what
        // its own descriptor holds.
        if (m_devices) {
            while (udev_device* device = udev_monitor_receive_device(m_devices)) udev_device_unref(device);
        }
        if (m_mounts) mnt_monitor_event_cleanup(m_mounts);
    }

private:
    bool Watch(int fd) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        return fd >= 0 && ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) == 0;
    }

    int m_epoll = -1;
    udev* m_udev = nullptr;
    udev_monitor* m_devices = nullptr;
    libmnt_monitor* m_mounts = nullptr;
};

}  // namespace

std::unique_ptr<MediaNotices> CreateMediaNotices() {
    auto notices = std::make_unique<UdevNotices>();
    if (!notices->Working()) return nullptr;
    return notices;
}

}  // namespace platform
