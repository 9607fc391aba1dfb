#include <libmount/libmount.h>
#include <libudev.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/DriveMedia.h"
#include "platform/MountTable.h"

namespace platform {

namespace {

// The kernel's media-change events (through udev, once its rules have run, so that the device is ready) and
// changes of the mount table, behind one descriptor. The kernel's filter knows subsystems, not device names:
// events of other disks wake the watcher too, and Drain tells them apart.
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
        if (m_mounts) m_opticalMounts = OpticalMounts();
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
        m_relevant = false;
        if (m_devices) {
            while (udev_device* device = udev_monitor_receive_device(m_devices)) {
                m_relevant = m_relevant || Optical(device);
                udev_device_unref(device);
            }
        }
        if (m_mounts) {
            mnt_monitor_event_cleanup(m_mounts);
            // The monitor says only that the table changed, not which mount: the table tells.
            std::vector<MountRecord> now = OpticalMounts();
            m_relevant = m_relevant || now != m_opticalMounts;
            m_opticalMounts = std::move(now);
        }
    }
    bool Relevant() const override { return m_relevant; }

private:
    static bool Optical(udev_device* device) {
        const char* name = udev_device_get_sysname(device);
        const char* cdrom = udev_device_get_property_value(device, "ID_CDROM");
        return (name && std::string_view(name).starts_with("sr")) || (cdrom && std::strcmp(cdrom, "1") == 0);
    }
    // The mounts of optical drives, whose devices the kernel numbers under one major.
    static std::vector<MountRecord> OpticalMounts() {
        std::vector<MountRecord> mounts;
        ReadMountInfo(kSystemMountTable, mounts);
        std::erase_if(mounts, [](const MountRecord& mount) { return !mount.device.starts_with("11:"); });
        return mounts;
    }

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
    std::vector<MountRecord> m_opticalMounts;
    bool m_relevant = true;
};

}  // namespace

std::unique_ptr<MediaNotices> CreateMediaNotices() {
    auto notices = std::make_unique<UdevNotices>();
    if (!notices->Working()) return nullptr;
    return notices;
}

}  // namespace platform
