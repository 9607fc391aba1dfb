#include "platform/UDisks.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>

namespace platform {

namespace {

const char* const kService = "org.freedesktop.UDisks2";
// Unmounting flushes nothing on a disc, and the tray opens within a few seconds; a service that stays silent
// longer is not coming back.
constexpr int kWaitMs = 10'000;

QDBusMessage Call(const QDBusConnection& bus, const QString& path, const char* interface, const char* method,
                  const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, kWaitMs);
}

bool Failed(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

std::string Reason(const QDBusMessage& reply) {
    if (!reply.errorMessage().isEmpty()) return reply.errorMessage().toStdString();
    if (!reply.errorName().isEmpty()) return reply.errorName().toStdString();
    return "the system's disk service gave no answer";
}

}  // namespace

std::string EjectThroughUDisks(const std::string& device) {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return bus.lastError().message().toStdString();

    QDBusMessage reply =
        Call(bus, QStringLiteral("/org/freedesktop/UDisks2/Manager"), "org.freedesktop.UDisks2.Manager",
             "ResolveDevice",
             {QVariantMap{{QStringLiteral("path"), QString::fromStdString(device)}}, QVariantMap{}});
    QString block;
    if (!Failed(reply)) {
        const auto found = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0));
        if (found.isEmpty()) return "the system's disk service does not know " + device;
        block = found.first().path();
    } else if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")) {
        // A service too old to resolve devices names its block objects after the kernel's devices.
        block = QStringLiteral("/org/freedesktop/UDisks2/block_devices/") +
                QString::fromStdString(device.substr(device.rfind('/') + 1));
    } else {
        return Reason(reply);
    }

    reply = Call(bus, block, "org.freedesktop.UDisks2.Filesystem", "Unmount", {QVariantMap{}});
    // Whoever unmounted it meanwhile did half the work.
    if (Failed(reply) && reply.errorName() != QLatin1String("org.freedesktop.UDisks2.Error.NotMounted"))
        return Reason(reply);

    reply = Call(bus, block, "org.freedesktop.DBus.Properties", "Get",
                 {QStringLiteral("org.freedesktop.UDisks2.Block"), QStringLiteral("Drive")});
    if (Failed(reply)) return Reason(reply);
    const QString drive =
        qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant().value<QDBusObjectPath>().path();
    // The service names "/" for a block device that lies on no drive.
    if (drive.isEmpty() || drive == QLatin1String("/"))
        return "the system's disk service knows no drive of " + device;

    reply = Call(bus, drive, "org.freedesktop.UDisks2.Drive", "Eject", {QVariantMap{}});
    return Failed(reply) ? Reason(reply) : std::string{};
}

}  // namespace platform
