#include "app/SingleInstance.h"

#include "platform/files/FileNames.h"
#include "platform/process/LocalUser.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>

#include <memory>

namespace tavero {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 3000;
// A running program answers from its event loop, which a start of its own or
// a busy moment may hold up for a while.
constexpr int confirmTimeoutMs = 10'000;

// The running program's one-byte answer to a whole request, and to one it
// refuses.
constexpr char confirmed = '+';
constexpr char refused = '-';

QString safeName(QString text) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return text.replace(unsafe, QStringLiteral("_"));
}

// Each path ends with a NUL, the one byte no path holds, so every name (one
// with a line break too) arrives whole; an empty path, a NUL of its own, ends
// the request. Only the files that fit within the largest message go, in
// their order: the running program opens the first.
QByteArray encode(const QStringList& files) {
    QByteArray message;
    for (const QString& file : files) {
        const QByteArray path = nativeFileName(file) + '\0';
        if (message.size() + path.size() + 1 > SingleInstance::largestMessage) break;
        message += path;
    }
    return message + '\0';
}

// Whether `message` holds the empty path that ends a request.
bool ended(const QByteArray& message) {
    return message.startsWith('\0') || message.contains(QByteArrayView("\0\0", 2));
}

// The paths before the end of the request; a start of an earlier version
// ends its request by closing the connection instead.
QStringList decode(const QByteArray& message) {
    QStringList files;
    for (const QByteArray& path : message.split('\0')) {
        if (path.isEmpty()) break;
        files.append(fileNameFromNative(path));
    }
    return files;
}

// What one connection has sent, and whether it was answered.
struct Request {
    QByteArray message;
    bool answered = false;
};

// Another user's program behind our name must learn nothing of our files,
// nor make us open any.
bool sameUser(const QLocalSocket& socket) { return LocalUser::peerId(socket.socketDescriptor()) == LocalUser::id(); }

}  // namespace

// In the user's runtime folder when it is private, else in a folder of our
// own in the temporary folder; without either, no name at all: each start
// then runs on its own rather than talk through a place others can enter.
QString SingleInstance::defaultName() {
    const QString file = QStringLiteral("tavero-") + safeName(qEnvironmentVariable("DISPLAY")) + QStringLiteral(".socket");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (LocalUser::privateFolder(runtime, false)) return QDir(runtime).filePath(file);
    const QString own = QDir::temp().filePath(QStringLiteral("tavero-") + QString::number(LocalUser::id()));
    if (LocalUser::privateFolder(own, true)) return QDir(own).filePath(file);
    return {};
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::HandOver SingleInstance::handOver(const QStringList& files) {
    if (name_.isEmpty()) return HandOver::noProgram;
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectTimeoutMs)) return HandOver::noProgram;
    if (!sameUser(socket)) {
        socket.abort();
        return HandOver::noProgram;
    }
    socket.write(encode(files));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(writeTimeoutMs)) return HandOver::notConfirmed;
    if (!socket.bytesAvailable() && !socket.waitForReadyRead(confirmTimeoutMs)) return HandOver::notConfirmed;
    const bool taken = socket.read(1) == QByteArray(1, confirmed);
    socket.disconnectFromServer();
    return taken ? HandOver::delivered : HandOver::notConfirmed;
}

bool SingleInstance::listen() {
    if (name_.isEmpty()) return false;
    if (server_.listen(name_)) return true;
    // Nobody answered on the name, so what is there was left by a program
    // that ended.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

// A request is announced once it has ended and then confirmed; one beyond
// the largest message is refused, so that its start can say so.
void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!sameUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto request = std::make_shared<Request>();
        const auto answer = [socket, request](char reply) {
            request->answered = true;
            socket->write(QByteArray(1, reply));
            socket->flush();
            socket->disconnectFromServer();
        };
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, request, answer] {
            if (request->answered) return (void)socket->readAll();
            request->message.append(socket->readAll());
            if (request->message.size() > largestMessage) return answer(refused);
            if (!ended(request->message)) return;
            answer(confirmed);
            emit started(decode(request->message));
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, request] {
            socket->deleteLater();
            if (request->answered) return;
            request->message.append(socket->readAll());
            if (request->message.size() <= largestMessage) emit started(decode(request->message));
        });
    }
}

}  // namespace tavero
