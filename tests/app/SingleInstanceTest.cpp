#include "app/SingleInstance.h"
#include "platform/files/FileNames.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <future>
#include <memory>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavero;

namespace {

using HandOver = SingleInstance::HandOver;

class SingleInstanceTest : public testing::Test {
protected:
    QString name() const { return folder.path() + QStringLiteral("/tavero.socket"); }

    // A later start handing over `files`, as another process would: it waits
    // for the answer while this thread's event loop runs the running program.
    HandOver handOverAside(const QStringList& files) {
        std::future<HandOver> handed =
            std::async(std::launch::async, [name = name(), files] { return SingleInstance(name).handOver(files); });
        (void)QTest::qWaitFor([&] { return handed.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              30'000);
        return handed.get();
    }

    test::TempDir folder;
};

TEST_F(SingleInstanceTest, ALaterStartHandsItsFilesToTheRunningOneWhateverTheirNames) {
    SingleInstance later(name());
    EXPECT_EQ(later.handOver({QStringLiteral("/tmp/a.png")}), HandOver::noProgram) << "nobody runs yet";

    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    const QStringList files{QStringLiteral("/tmp/截图 1.png"), QStringLiteral("/tmp/两行\n名字.png"),
                            QStringLiteral("/tmp/b.vistagon"), fileNameFromNative("/tmp/\xc0\xb6.png")};
    EXPECT_EQ(handOverAside(files), HandOver::delivered);
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.first().first().toStringList(), files) << "a line break is part of a name, and bytes that are not UTF-8";

    EXPECT_EQ(handOverAside({}), HandOver::delivered);
    ASSERT_EQ(started.count(), 2);
    EXPECT_TRUE(started.last().first().toStringList().isEmpty()) << "a start without files";
}

// A file manager may hand over thousands of files at once: the running
// program is sent what fits in one message, and opens the first.
TEST_F(SingleInstanceTest, AStartWithMorePathsThanAMessageHoldsHandsOverTheFirstFiles) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    QStringList files;
    for (int index = 0; index < 5000; ++index)
        files.append(QStringLiteral("/tmp/%1/长路径.png").arg(index, 230, 10, QLatin1Char('0')));
    ASSERT_GT(files.join(QLatin1Char('\0')).toUtf8().size(), SingleInstance::largestMessage);

    EXPECT_EQ(handOverAside(files), HandOver::delivered);
    ASSERT_EQ(started.count(), 1) << "the request was not announced";
    const QStringList received = started.first().first().toStringList();
    ASSERT_FALSE(received.isEmpty());
    EXPECT_EQ(received, files.first(received.size())) << "the first files, in their order";
    EXPECT_GT(received.size(), 4000);
}

// A program behind our name that closes the connection without an answer
// has taken nothing, and the start must not say otherwise.
TEST_F(SingleInstanceTest, AStartThatIsNotConfirmedIsNoHandOver) {
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(name()));
    QObject::connect(&silent, &QLocalServer::newConnection, &silent, [&silent] {
        QLocalSocket* socket = silent.nextPendingConnection();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            socket->readAll();
            socket->abort();
        });
    });
    EXPECT_EQ(handOverAside({QStringLiteral("/tmp/a.png")}), HandOver::notConfirmed);
}

TEST_F(SingleInstanceTest, ASocketLeftByAnEndedProgramIsTakenOver) {
    {
        QFile stale(name());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance running(name());
    EXPECT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    EXPECT_EQ(handOverAside({QStringLiteral("/tmp/a.png")}), HandOver::delivered);
    EXPECT_EQ(started.count(), 1);
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return socket.bytesAvailable() > 0; }, 5000));
    EXPECT_EQ(socket.readAll(), QByteArray("-")) << "the sender learns that it was refused";
    socket.disconnectFromServer();
    QTest::qWait(200);
    EXPECT_EQ(started.count(), 0);
}

// A client of the running program's socket that speaks through the system
// alone, so this thread's event loop serves it: connected at once, and
// closed with the object.
class RawClient {
public:
    explicit RawClient(const QString& name) : socket_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(name).constData(), sizeof address.sun_path - 1);
        connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(socket_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    bool send(const QByteArray& bytes) { return ::send(socket_, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size(); }
    // The answer received so far, "" when none yet; "closed" once the
    // program closed the connection without one.
    QByteArray answer() {
        char byte = 0;
        const ssize_t read = ::recv(socket_, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
        if (read == 1) return QByteArray(1, byte);
        return read == 0 || (read < 0 && errno != EAGAIN) ? QByteArrayLiteral("closed") : QByteArray();
    }

private:
    int socket_;
    bool connected_ = false;
};

qsizetype openFileHandles() { return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(); }

// Only a request that ends with its empty path is one: the paths of one cut
// short are opened by nobody.
TEST_F(SingleInstanceTest, ARequestCutShortOrLeftHangingIsDropped) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    {
        RawClient closing(name());
        ASSERT_TRUE(closing.connected());
        ASSERT_TRUE(closing.send(QByteArrayLiteral("/tmp/cut.png") + '\0' + QByteArrayLiteral("/tmp/sh")));
    }
    RawClient silent(name());
    ASSERT_TRUE(silent.connected());
    ASSERT_TRUE(silent.send(QByteArrayLiteral("/tmp/silent.png") + '\0'));
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.answer() == "closed"; }, 30'000))
        << "a start that stops sending is let go after a few seconds";

    EXPECT_EQ(handOverAside({QStringLiteral("/tmp/whole.png")}), HandOver::delivered);
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.first().first().toStringList(), QStringList{QStringLiteral("/tmp/whole.png")});
}

// The running program opens no path whose meaning depends on the folder of
// the sender, nor one longer than the system takes.
TEST_F(SingleInstanceTest, ARelativeOrOverlongPathIsRefused) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    const QByteArray end(1, '\0');
    const QByteArray overlong = '/' + QByteArray(PATH_MAX, 'a');
    for (const QByteArray& request : {QByteArrayLiteral("a.png") + end + end,
                                      QByteArrayLiteral("/tmp/a.png") + end + QByteArrayLiteral("../b.png") + end + end,
                                      overlong + end + end, overlong}) {
        RawClient client(name());
        ASSERT_TRUE(client.connected());
        ASSERT_TRUE(client.send(request));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !client.answer().isEmpty(); }, 30'000));
        EXPECT_EQ(client.answer(), "-") << request.left(40).toStdString();
    }
    EXPECT_EQ(started.count(), 0);
}

// Each connection holds a file handle of the running program: a few hundred
// starts at once must not exhaust them, and once they have gone the next
// start is served, even before their ends are handled.
TEST_F(SingleInstanceTest, ConnectionsPastTheCapAreClosedAtOnce) {
    SingleInstance running(name());
    ASSERT_TRUE(running.listen());
    QSignalSpy started(&running, &SingleInstance::started);
    constexpr int clientCount = 300;
    const qsizetype before = openFileHandles();
    std::vector<std::unique_ptr<RawClient>> clients;
    // A blocking connect waits for this thread's event loop to accept.
    std::future<void> connecting = std::async(std::launch::async, [&] {
        for (int index = 0; index < clientCount; ++index) clients.push_back(std::make_unique<RawClient>(name()));
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return connecting.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                60'000));
    const auto closedCount = [&] {
        return std::count_if(clients.begin(), clients.end(), [](const auto& client) { return client->answer() == "closed"; });
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return closedCount() >= clientCount - SingleInstance::mostConnections; }, 30'000));
    EXPECT_LE(openFileHandles() - before, clientCount + SingleInstance::mostConnections + 8)
        << "the clients' own handles, and the program's for the connections it keeps";

    // They all end, and the next start comes before the running program has
    // heard of their ends: it is served all the same.
    clients.clear();
    RawClient next(name());
    ASSERT_TRUE(next.connected());
    ASSERT_TRUE(next.send(HandOverRequest::encode({QStringLiteral("/tmp/after.png")})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !next.answer().isEmpty(); }, 30'000));
    EXPECT_EQ(next.answer(), "+");
    EXPECT_EQ(started.count(), 1);
}

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        if (value.isNull()) qunsetenv(name);
        else qputenv(name, value);
    }
    ~ScopedVariable() {
        if (had_) qputenv(name_, saved_);
        else qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray saved_;
};

bool onlyOwnerEnters(const QString& folder) {
    struct stat info {};
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

TEST_F(SingleInstanceTest, TheSocketLiesInAFolderOnlyTheUserCanEnter) {
    const ScopedVariable temporary("TMPDIR", QFile::encodeName(folder.path()));
    const QString own = folder.path() + QStringLiteral("/tavero-") + QString::number(::geteuid());
    {
        const ScopedVariable runtime("XDG_RUNTIME_DIR", QByteArray());
        const QString made = SingleInstance::defaultName();
        EXPECT_EQ(QFileInfo(made).path(), own);
        EXPECT_TRUE(onlyOwnerEnters(own));
    }
    test::TempDir shared;
    ASSERT_TRUE(QFile::setPermissions(shared.path(), QFileDevice::Permissions(0x7777)));
    {
        const ScopedVariable runtime("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
        EXPECT_EQ(QFileInfo(SingleInstance::defaultName()).path(), own) << "a runtime folder others may enter is passed by";
    }
    ASSERT_TRUE(QDir(own).removeRecursively());
    ASSERT_TRUE(QFile::link(shared.path(), own));
    {
        const ScopedVariable runtime("XDG_RUNTIME_DIR", QByteArray());
        EXPECT_TRUE(SingleInstance::defaultName().isEmpty()) << "a link in its place is no folder of ours";
        SingleInstance alone(SingleInstance::defaultName());
        EXPECT_FALSE(alone.listen());
        EXPECT_EQ(alone.handOver({QStringLiteral("/tmp/a.png")}), HandOver::noProgram) << "the start runs on its own";
    }
    ASSERT_TRUE(QFile::remove(own));
    ASSERT_TRUE(QDir().mkdir(own));
    ASSERT_TRUE(QFile::setPermissions(own, QFileDevice::Permissions(0x7777)));
    {
        const ScopedVariable runtime("XDG_RUNTIME_DIR", QByteArray());
        EXPECT_EQ(QFileInfo(SingleInstance::defaultName()).path(), own);
        EXPECT_TRUE(onlyOwnerEnters(own)) << "our own folder is closed to others first";
    }
}

// Another user listening at the name first, in a folder everyone may enter:
// the later start must hand it nothing.
TEST_F(SingleInstanceTest, AProgramOfAnotherUserIsHandedNothing) {
    if (::geteuid() != 0) TAVERO_SKIP_UNLESS_REQUIRED("acting as another user needs root");
    ASSERT_TRUE(QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7777)));
    const QByteArray path = QFile::encodeName(name());
    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only system calls from here: the other user's listener.
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setgid(65534) != 0 || ::setuid(65534) != 0 || server < 0 ||
            ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::chmod(path.constData(), 0777) != 0 ||
            ::listen(server, 1) != 0)
            ::_exit(1);
        (void)!::write(report[1], "r", 1);
        const int connection = ::accept(server, nullptr, nullptr);
        char received = 0;
        pollfd wait{connection, POLLIN, 0};
        if (::poll(&wait, 1, 5000) > 0 && ::read(connection, &received, 1) == 1) (void)!::write(report[1], "x", 1);
        ::_exit(0);
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1) << "the other user's listener did not start";
    EXPECT_EQ(SingleInstance(name()).handOver({QStringLiteral("/home/me/私人.png")}), HandOver::noProgram);
    int status = 0;
    ::waitpid(child, &status, 0);
    char received = 0;
    EXPECT_EQ(::read(report[0], &received, 1), 0) << "not one byte of a path reached the other user";
    ::close(report[0]);
}

}  // namespace
