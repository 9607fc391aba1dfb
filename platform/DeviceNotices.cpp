#include "platform/DeviceNotices.h"

#ifdef _WIN32
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// After windows.h, whose types it uses.
#include <dbt.h>
#else
#include "platform/MountWatcher.h"
#endif

namespace platform {

#ifdef _WIN32
namespace {

// Windows tells top-level windows of every arrival with WM_DEVICECHANGE; the message is left to the
// default handling, which answers TRUE, so no query (such as a removal request) is ever refused.
class WindowsDeviceNotices : public DeviceNotices, public QAbstractNativeEventFilter {
public:
    WindowsDeviceNotices() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~WindowsDeviceNotices() override {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    void SetArrivalHandler(std::function<void()> arrived) override { m_arrived = std::move(arrived); }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_DEVICECHANGE && msg->wParam == DBT_DEVICEARRIVAL && m_arrived) m_arrived();
        return false;
    }

private:
    std::function<void()> m_arrived;
};

}  // namespace

std::unique_ptr<DeviceNotices> CreateSystemDeviceNotices() {
    return std::make_unique<WindowsDeviceNotices>();
}
#else
std::unique_ptr<DeviceNotices> CreateSystemDeviceNotices() {
    return std::make_unique<MountWatcher>();
}
#endif

}  // namespace platform
