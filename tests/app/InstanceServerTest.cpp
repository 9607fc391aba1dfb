#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QUuid>

#include "AppTestSupport.h"
#include "app/InstanceServer.h"

namespace {

QString UniqueName() {
    return "tamberol-test-" + QUuid::createUuid().toString(QUuid::Id128);
}

// Runs the receiver's event loop until it has had `count` requests or a few seconds have passed.
void ServeUntil(const QStringList& received, int count) {
    QElapsedTimer timer;
    timer.start();
    while (received.size() < count && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(InstanceServerTest, SecondStartHandsTheAbsolutePathToTheFirst) {
    const QString name = UniqueName();
    InstanceServer first;
    ASSERT_TRUE(first.Listen(name));
    QStringList received;
    QObject::connect(&first, &InstanceServer::openRequested, [&](const QString& path) { received << path; });

    // The sender is done once the line is written: it does not wait for the receiver's event loop.
    EXPECT_TRUE(InstanceServer::HandOver(name, "relative/été.cdi"));
    ServeUntil(received, 1);
    EXPECT_TRUE(InstanceServer::HandOver(name, "/tmp/new\nline.cdi"));
    ServeUntil(received, 2);
    EXPECT_EQ(received,
              (QStringList{QDir::current().absoluteFilePath("relative/été.cdi"), "/tmp/new\nline.cdi"}));
}

TEST(InstanceServerTest, NobodyListeningMeansThisStartRunsItself) {
    EXPECT_FALSE(InstanceServer::HandOver(UniqueName(), "/tmp/a.cdi", 200));
}

TEST(InstanceServerTest, OnlyOneInstanceOwnsTheName) {
    const QString name = UniqueName();
    InstanceServer first;
    InstanceServer second;
    ASSERT_TRUE(first.Listen(name));
    EXPECT_FALSE(second.Listen(name));
}

}  // namespace
