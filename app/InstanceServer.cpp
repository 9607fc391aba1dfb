#include "app/InstanceServer.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {
// A path never holds a newline on the systems we run on, so one line is one request.
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
    const QByteArray request = QDir::cleanPath(QFileInfo(path).absoluteFilePath()).toUtf8() + kEnd;
    socket.write(request);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The receiver closes the connection once it has the whole line: only then is the hand-over done.
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
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequest) socket->abort();
                return;
            }
            const QString path = QString::fromUtf8(socket->readLine(kMaxRequest).chopped(1));
            socket->disconnectFromServer();
            if (!path.isEmpty()) emit openRequested(path);
        });
    }
}
