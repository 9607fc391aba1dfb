#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Lets a second start of the program hand a catalogue path to the one already running, which opens it.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QObject* parent = nullptr);
    ~InstanceServer() override;

    // The server name of the current user, so that two people on one machine do not meet.
    static QString DefaultName();
    // Sends `path` (made absolute) to the instance listening on `name`; true once it has been delivered.
    static bool HandOver(const QString& name, const QString& path, int timeoutMs = 2000);

    // Starts listening on `name`, taking over a name left behind by an instance that crashed.
    bool Listen(const QString& name);

signals:
    // A second start asked this instance to open `path`.
    void openRequested(const QString& path);

private:
    QLocalServer* m_server;

    void Accept();
};
