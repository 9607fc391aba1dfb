#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QVariantMap>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/UDisks.h"

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
        // The real service would ask for a password where its policy allows that; a watch must not wait on
        // one.
        const bool mayAsk =
            (call.member() == "Unmount" || call.member() == "Eject") &&
            !qdbus_cast<QVariantMap>(call.arguments().value(0)).value("auth.no_user_interaction").toBool();
        if (mayAsk)
            bus.send(
                call.createErrorReply("org.freedesktop.UDisks2.Error.Failed", "would ask for a password"));
        else if (const auto error = errors.find(asked); error != errors.end())
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
    // A container may have the daemon but not what it needs to start.
    const QByteArray address = bus.waitForReadyRead(10'000) ? bus.readLine().trimmed() : QByteArray{};
    if (address.isEmpty())
        GTEST_SKIP() << "dbus-daemon does not start: " << bus.readAllStandardError().toStdString();
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
         {{resolveMethod, {"org.freedesktop.UDisks2.Error.Failed", "no such device"}}},
         disks.drive,
         "no such device",
         {resolve}},
        {"a policy that would ask for a password",
         {{"org.freedesktop.UDisks2.Filesystem.Unmount",
           {"org.freedesktop.UDisks2.Error.NotAuthorizedCanObtain", "Not authorized"}}},
         disks.drive,
         "permission is needed to let go of the disc: Not authorized",
         {resolve, unmount}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disks.errors = c.errors;
        disks.drive = c.drive;
        ASSERT_TRUE(service.registerService("org.freedesktop.UDisks2"));
        const std::string reason = platform::EjectThroughUDisks("/dev/sr0");
        if (c.reason == "*")
            EXPECT_NE(reason, "");
        else
            EXPECT_EQ(reason, c.reason);
        EXPECT_EQ(disks.TakeCalls(), c.calls);
        ASSERT_TRUE(service.unregisterService("org.freedesktop.UDisks2"));
    }
    // No disk service on the bus: the bus says so.
    EXPECT_NE(platform::EjectThroughUDisks("/dev/sr0"), "");
    EXPECT_TRUE(disks.TakeCalls().empty());

    service.unregisterObject("/org/freedesktop/UDisks2");
    QDBusConnection::disconnectFromBus("service");
    serving.quit();
    serving.wait();
    bus.kill();
    bus.waitForFinished();
}

// A bus that takes the connection and never answers: the eject gives up at its deadline, and the next one
// does not wait behind it. In a process of its own, whose system bus is that one.
TEST(UDisksEjectTest, ABusThatNeverAnswersIsTheReasonAtTheDeadline) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder temp;
    const auto ejectAtSilentBus = [&] {
        const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        const std::string path = temp.At("silent");
        path.copy(where.sun_path, sizeof where.sun_path - 1);
        if (bind(silent, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(silent, 4) != 0)
            std::_Exit(3);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray::fromStdString("unix:path=" + path));
        const std::string noAnswer = "the system's disk service does not answer";
        const auto start = std::chrono::steady_clock::now();
        const bool first =
            platform::EjectThroughUDisks("/dev/sr0", std::chrono::milliseconds(300)) == noAnswer;
        const bool second = platform::EjectThroughUDisks("/dev/sr0") == noAnswer;
        const bool soon = std::chrono::steady_clock::now() - start < std::chrono::seconds(5);
        std::_Exit(first && second && soon ? 0 : 1);
    };
    EXPECT_EXIT(ejectAtSilentBus(), testing::ExitedWithCode(0), "");
}
