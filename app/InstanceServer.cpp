#include "app/InstanceServer.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QUrl>

namespace {
// One request is one line: the path as a percent-encoded file URL, so a newline in a name cannot split it.
constexpr char kEnd = '\n';
constexpr int kMaxRequest = 64 * 1024;
}  // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::Accept);
}

InstanceServer::~InstanceServer() {
    m_server->close();
}

QString InstanceServer::DefaultName() {
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty()) user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty()) user = QStringLiteral("user");
    return QStringLiteral("tamberol-") + user;
}

bool InstanceServer::HandOver(const QString& name, const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath())).toEncoded() + kEnd);
    // Once the line is in the socket it is the receiver's: it reads what was sent even after we are gone.
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs)) return false;
    }
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(timeoutMs);
}

bool InstanceServer::Listen(const QString& name) {
    // Asked first because listening with per-user access replaces a live socket instead of failing: a name
    // that answers belongs to a running instance, one that does not is a leftover from a crash.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(200)) return false;
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // The sender may already have closed its end; what it wrote is still there to read.
        const auto take = [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest) socket->abort();
                return;
            }
            const QString path = QUrl::fromEncoded(socket->readLine().chopped(1)).toLocalFile();
            socket->disconnectFromServer();
            if (!path.isEmpty()) emit openRequested(path);
        };
        connect(socket, &QLocalSocket::readyRead, this, take);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        take();
    }
}
