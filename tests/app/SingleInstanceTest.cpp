#include "app/SingleInstance.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class SingleInstanceTest : public testing::Test {
protected:
    QString name() const { return folder.path() + QStringLiteral("/tavero.socket"); }

    test::TempDir folder;
};

TEST_F(SingleInstanceTest, ALaterStartHandsItsFilesToTheRunningOne) {
    SingleInstance later(name());
    EXPECT_FALSE(later.handOver({QStringLiteral("/tmp/a.png")})) << "nobody runs yet";

    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    const QStringList files{QStringLiteral("/tmp/截图 1.png"), QStringLiteral("/tmp/b.vistagon")};
    EXPECT_TRUE(later.handOver(files));
    ASSERT_TRUE(started.wait(5000));
    EXPECT_EQ(started.first().first().toStringList(), files);

    EXPECT_TRUE(later.handOver({}));
    ASSERT_TRUE(started.wait(5000));
    EXPECT_TRUE(started.last().first().toStringList().isEmpty()) << "a start without files";
}

TEST_F(SingleInstanceTest, ASocketLeftByAnEndedProgramIsTakenOver) {
    {
        QFile stale(name());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance running(name());
    EXPECT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    EXPECT_TRUE(SingleInstance(name()).handOver({QStringLiteral("/tmp/a.png")}));
    EXPECT_TRUE(started.wait(5000));
}

TEST_F(SingleInstanceTest, AnOversizedMessageIsDropped) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    QLocalSocket socket;
    socket.connectToServer(name());
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(QByteArray(SingleInstance::largestMessage + 10, 'a'));
    (void)QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState || !socket.bytesToWrite(); }, 5000);
    socket.disconnectFromServer();
    QTest::qWait(200);
    EXPECT_EQ(started.count(), 0);
}

}  // namespace
