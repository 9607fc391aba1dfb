#include "platform/UDisks.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariantMap>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

namespace {

const char* const kService = "org.freedesktop.UDisks2";
const char* const kNoAnswer = "the system's disk service does not answer";
// One call that stays silent this long is not coming back.
constexpr int kWaitMs = 10'000;

// A watch that catalogues discs unattended must not wait on a password prompt, nor pop one up.
QVariantMap Unasked() {
    return {{QStringLiteral("auth.no_user_interaction"), true}};
}

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
    std::string reason = !reply.errorMessage().isEmpty() ? reply.errorMessage().toStdString()
                         : !reply.errorName().isEmpty()  ? reply.errorName().toStdString()
                                                         : "the system's disk service gave no answer";
    // NotAuthorized, NotAuthorizedCanObtain, NotAuthorizedDismissed: the policy would have asked for a
    // password, or refuses outright.
    if (reply.errorName().startsWith(QLatin1String("org.freedesktop.UDisks2.Error.NotAuthorized")))
        reason = "permission is needed to let go of the disc: " + reason;
    return reason;
}

std::string EjectNow(const std::string& device) {
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

    reply = Call(bus, block, "org.freedesktop.UDisks2.Filesystem", "Unmount", {Unasked()});
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

    reply = Call(bus, drive, "org.freedesktop.UDisks2.Drive", "Eject", {Unasked()});
    return Failed(reply) ? Reason(reply) : std::string{};
}

// What an eject left on its worker thread shares with whoever waits for it.
struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool late = false;  // its caller stopped waiting
    std::string reason;
};

// Workers still stuck after their caller gave up. Connecting to the bus cannot be given a deadline, and
// once one connection hangs every later one waits behind it.
std::atomic<int> g_late{0};

}  // namespace

std::string EjectThroughUDisks(const std::string& device, std::chrono::milliseconds deadline) {
    if (g_late > 0) return kNoAnswer;
    const auto pending = std::make_shared<Pending>();
    std::thread([pending, device] {
        std::string reason = EjectNow(device);
        const std::lock_guard lock(pending->mutex);
        pending->finished = true;
        pending->reason = std::move(reason);
        if (pending->late) --g_late;
        pending->done.notify_one();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (pending->done.wait_for(lock, deadline, [&] { return pending->finished; })) return pending->reason;
    pending->late = true;
    ++g_late;
    return kNoAnswer;
}

}  // namespace platform
