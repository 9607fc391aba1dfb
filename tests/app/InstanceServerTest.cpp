#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QUuid>
#include <future>

#include "AppTestSupport.h"
#include "app/InstanceServer.h"

namespace {

QString UniqueName() {
    return "tamberol-test-" + QUuid::createUuid().toString(QUuid::Id128);
}

// The sender blocks until the receiver has read the line, so it runs on its own thread while this one
// spins the receiver's event loop.
bool HandOverWhileServing(const QString& name, const QString& path) {
    auto sent = std::async(std::launch::async, [&] { return InstanceServer::HandOver(name, path, 3000); });
    QElapsedTimer timer;
    timer.start();
    while (sent.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready && timer.elapsed() < 5000)
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return sent.get();
}

TEST(InstanceServerTest, SecondStartHandsTheAbsolutePathToTheFirst) {
    EnsureApplication();
    const QString name = UniqueName();
    InstanceServer first;
    ASSERT_TRUE(first.Listen(name));
    QStringList received;
    QObject::connect(&first, &InstanceServer::openRequested, [&](const QString& path) { received << path; });

    EXPECT_TRUE(HandOverWhileServing(name, "relative/été.cdi"));
    EXPECT_TRUE(HandOverWhileServing(name, "/tmp/b.cdi"));
    EXPECT_EQ(received, (QStringList{QDir::current().absoluteFilePath("relative/été.cdi"), "/tmp/b.cdi"}));
}

TEST(InstanceServerTest, NobodyListeningMeansThisStartRunsItself) {
    EnsureApplication();
    EXPECT_FALSE(InstanceServer::HandOver(UniqueName(), "/tmp/a.cdi", 200));
}

TEST(InstanceServerTest, OnlyOneInstanceOwnsTheName) {
    EnsureApplication();
    const QString name = UniqueName();
    InstanceServer first;
    InstanceServer second;
    ASSERT_TRUE(first.Listen(name));
    EXPECT_FALSE(second.Listen(name));
}

TEST(InstanceServerTest, DefaultNameIsPerUser) {
    EXPECT_TRUE(InstanceServer::DefaultName().startsWith("tamberol-"));
    EXPECT_GT(InstanceServer::DefaultName().size(), QString("tamberol-").size());
}

}  // namespace
