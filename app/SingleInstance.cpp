#include "app/SingleInstance.h"

#include "platform/FileNames.h"
#include "platform/LocalUser.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>

#include <memory>

namespace tavero {

namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 3000;

QString safeName(QString text) {
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    return text.replace(unsafe, QStringLiteral("_"));
}

// Each path ends with a NUL, the one byte no path holds, so every name (one
// with a line break too) arrives whole.
QByteArray encode(const QStringList& files) {
    QByteArray message;
    for (const QString& file : files) message += nativeFileName(file) + '\0';
    return message;
}

QStringList decode(const QByteArray& message) {
    QStringList files;
    for (const QByteArray& path : message.split('\0'))
        if (!path.isEmpty()) files.append(fileNameFromNative(path));
    return files;
}

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

bool SingleInstance::handOver(const QStringList& files) {
    if (name_.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectTimeoutMs)) return false;
    if (!sameUser(socket)) {
        socket.abort();
        return false;
    }
    socket.write(encode(files));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(writeTimeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(writeTimeoutMs);
    return true;
}

bool SingleInstance::listen() {
    if (name_.isEmpty()) return false;
    if (server_.listen(name_)) return true;
    // Nobody answered on the name, so what is there was left by a program
    // that ended.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!sameUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto message = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket, [socket, message] {
            message->append(socket->readAll());
            if (message->size() > largestMessage) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, message] {
            message->append(socket->readAll());
            socket->deleteLater();
            if (message->size() <= largestMessage) emit started(decode(*message));
        });
    }
}

}  // namespace tavero
