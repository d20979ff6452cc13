#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
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

QStringList decode(const QByteArray& message) {
    QStringList files;
    for (const QByteArray& line : message.split('\n'))
        if (!line.isEmpty()) files.append(QString::fromUtf8(line));
    return files;
}

}  // namespace

QString SingleInstance::defaultName() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool privateFolder = !runtime.isEmpty() && QFileInfo(runtime).isDir();
    const QString folder = privateFolder ? runtime : QDir::tempPath();
    const QString user = privateFolder ? QString() : safeName(qEnvironmentVariable("USER")) + QLatin1Char('-');
    const QString display = safeName(qEnvironmentVariable("DISPLAY"));
    return QDir(folder).filePath(QStringLiteral("tavero-") + user + display + QStringLiteral(".socket"));
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

bool SingleInstance::handOver(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(connectTimeoutMs)) return false;
    QByteArray message;
    for (const QString& file : files) message += file.toUtf8() + '\n';
    socket.write(message);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(writeTimeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(writeTimeoutMs);
    return true;
}

bool SingleInstance::listen() {
    if (server_.listen(name_)) return true;
    // Nobody answered on the name, so what is there was left by a program
    // that ended.
    QLocalServer::removeServer(name_);
    return server_.listen(name_);
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
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
