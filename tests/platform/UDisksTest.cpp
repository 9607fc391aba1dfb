#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/DriveMedia.h"

using platform::DriveMedium;

namespace {

const QString kBlock = "/org/freedesktop/UDisks2/block_devices/sr0";

// A stand-in for the desktop's disk service: it answers every call below its root from a table and
// remembers what was asked, as "path interface.method".
class FakeDisks : public QDBusVirtualObject {
public:
    // "interface.method" -> error name and message; a call not listed succeeds.
    std::map<QString, std::pair<QString, QString>> errors;
    QList<QDBusObjectPath> resolved{QDBusObjectPath(kBlock)};
    QString drive = "/org/freedesktop/UDisks2/drives/Disc";

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override {
        const QString asked = call.interface() + "." + call.member();
        const QMutexLocker lock(&m_mutex);
        m_calls.push_back((call.path() + " " + asked).toStdString());
        if (const auto error = errors.find(asked); error != errors.end())
            bus.send(call.createErrorReply(error->second.first, error->second.second));
        else if (call.member() == "ResolveDevice")
            bus.send(call.createReply(QVariant::fromValue(resolved)));
        else if (call.member() == "Get")
            bus.send(call.createReply(
                QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(drive))))));
        else
            bus.send(call.createReply());
        return true;
    }
    std::vector<std::string> TakeCalls() {
        const QMutexLocker lock(&m_mutex);
        return std::exchange(m_calls, {});
    }

private:
    QMutex m_mutex;
    std::vector<std::string> m_calls;
};

}  // namespace

// The eject of a mounted disc goes through the system bus: here a private bus stands in for it, and the
// stand-in service answers on a thread of its own while the eject waits for its replies.
TEST(UDisksEjectTest, TheServiceUnmountsThenEjectsAndItsRefusalIsTheReason) {
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty()) GTEST_SKIP() << "no dbus-daemon";
    TempFolder temp;
    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--print-address=1",
                       "--address=unix:path=" + QString::fromStdString(temp.At("bus"))});
    ASSERT_TRUE(bus.waitForReadyRead(10'000));
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);

    int argc = 0;
    const QCoreApplication app(argc, nullptr);
    QThread serving;
    serving.start();
    FakeDisks disks;
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), "service");
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/UDisks2", &disks, QDBusConnection::SubPath));
    disks.moveToThread(&serving);

    const std::string resolve =
        "/org/freedesktop/UDisks2/Manager org.freedesktop.UDisks2.Manager.ResolveDevice";
    const std::string unmount = kBlock.toStdString() + " org.freedesktop.UDisks2.Filesystem.Unmount";
    const std::string drive = kBlock.toStdString() + " org.freedesktop.DBus.Properties.Get";
    const std::string eject = "/org/freedesktop/UDisks2/drives/Disc org.freedesktop.UDisks2.Drive.Eject";
    struct Case {
        const char* what;
        std::map<QString, std::pair<QString, QString>> errors;
        QString drive;
        std::string reason;  // "*": any
        std::vector<std::string> calls;
    };
    const QString resolveMethod = "org.freedesktop.UDisks2.Manager.ResolveDevice";
    const Case cases[] = {
        {"all goes well", {}, disks.drive, "", {resolve, unmount, drive, eject}},
        {"a service too old to resolve",
         {{resolveMethod, {"org.freedesktop.DBus.Error.UnknownMethod", "No such method"}}},
         disks.drive,
         "",
         {resolve, unmount, drive, eject}},
        {"a disc in use",
         {{"org.freedesktop.UDisks2.Filesystem.Unmount",
           {"org.freedesktop.UDisks2.Error.DeviceBusy", "target is busy"}}},
         disks.drive,
         "target is busy",
         {resolve, unmount}},
        {"unmounted meanwhile",
         {{"org.freedesktop.UDisks2.Filesystem.Unmount",
           {"org.freedesktop.UDisks2.Error.NotMounted", "not mounted"}}},
         disks.drive,
         "",
         {resolve, unmount, drive, eject}},
        {"a tray that sticks",
         {{"org.freedesktop.UDisks2.Drive.Eject", {"org.freedesktop.UDisks2.Error.Failed", "tray stuck"}}},
         disks.drive,
         "tray stuck",
         {resolve, unmount, drive, eject}},
        {"a block device on no drive", {}, "/", "*", {resolve, unmount, drive}},
        {"a refusal to resolve",
         {{resolveMethod, {"org.freedesktop.UDisks2.Error.NotAuthorized", "not authorized"}}},
         disks.drive,
         "not authorized",
         {resolve}},
    };
    const DriveMedium mounted{"D:\\", "/dev/sr0", "/media/disc", "id", {}, true};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disks.errors = c.errors;
        disks.drive = c.drive;
        ASSERT_TRUE(service.registerService("org.freedesktop.UDisks2"));
        const std::string reason = platform::EjectDisc(mounted);
        if (c.reason == "*")
            EXPECT_NE(reason, "");
        else
            EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(disks.TakeCalls(), c.calls);
        ASSERT_TRUE(service.unregisterService("org.freedesktop.UDisks2"));
    }
    // No disk service on the bus: the bus says so.
    EXPECT_NE(platform::EjectDisc(mounted), "");
    EXPECT_TRUE(disks.TakeCalls().empty());

    service.unregisterObject("/org/freedesktop/UDisks2");
    QDBusConnection::disconnectFromBus("service");
    serving.quit();
    serving.wait();
    bus.kill();
    bus.waitForFinished();
}
