#include "app/SingleInstance.h"

#include "platform/process/LocalUser.h"

#include <QDir>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
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

// How much of a connection Qt reads ahead of us; the rest waits in the
// system's buffer until we ask.
constexpr qint64 readChunk = 64 * 1024;

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
    socket.write(HandOverRequest::encode(files));
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

// One later start's connection while it lasts: its request as it arrives,
// and the clock that closes it once it stops sending.
struct SingleInstance::Connection {
    HandOverRequest request;
    QTimer* idle = nullptr;
    bool answered = false;
    bool closed = false;
};

// Every connection takes a file handle as it is accepted: past the cap, or
// from another user, it is closed at once.
void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (full() || !sameUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

// The starts that have gone may not have been handled yet: the event loop
// can hear of a new start before it hears of their ends.
bool SingleInstance::full() const {
    if (connections_.size() < mostConnections) return false;
    if (connections_.size() >= 2 * mostConnections) return true;
    const auto open = std::count_if(connections_.cbegin(), connections_.cend(), [](const QLocalSocket* socket) {
        return !LocalUser::peerHungUp(socket->socketDescriptor());
    });
    return open >= mostConnections;
}

// The connection state lives as long as the socket's own signals do.
void SingleInstance::serve(QLocalSocket* socket) {
    connections_.append(socket);
    socket->setReadBufferSize(readChunk);
    auto connection = std::make_shared<Connection>();
    connection->idle = new QTimer(socket);
    connection->idle->setSingleShot(true);
    connection->idle->setInterval(idleLimit);
    connect(connection->idle, &QTimer::timeout, this, [this, socket, connection] { close(*socket, *connection); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, connection] { read(*socket, *connection); });
    // What a start sent before it closed has been read by then.
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, connection] { close(*socket, *connection); });
    connection->idle->start();
    read(*socket, *connection);
}

// A request is announced once it has ended, and then confirmed; one that
// would pass a bound, or names a path we would not open, is refused, so that
// its start can say so. What follows an answer is read and dropped until the
// start closes the connection or the clock does.
void SingleInstance::read(QLocalSocket& socket, Connection& connection) {
    for (QByteArray bytes; !connection.closed && !(bytes = socket.read(readChunk)).isEmpty();) {
        if (connection.answered) continue;
        connection.idle->start();
        if (held_ + bytes.size() > mostHeld) return answer(socket, connection, refused);
        const qsizetype before = connection.request.size();
        const HandOverRequest::State state = connection.request.take(bytes);
        held_ += connection.request.size() - before;
        if (state == HandOverRequest::State::refused) return answer(socket, connection, refused);
        if (state == HandOverRequest::State::ended) {
            const QStringList files = connection.request.files();
            answer(socket, connection, confirmed);
            emit started(files);
        }
    }
}

void SingleInstance::answer(QLocalSocket& socket, Connection& connection, char reply) {
    connection.answered = true;
    held_ -= connection.request.size();
    connection.request = {};
    socket.write(QByteArray(1, reply));
    socket.flush();
}

// An unfinished request is dropped: only the empty path ends one.
void SingleInstance::close(QLocalSocket& socket, Connection& connection) {
    if (connection.closed) return;
    connection.closed = true;
    connections_.removeOne(&socket);
    held_ -= connection.request.size();
    connection.request = {};
    socket.abort();
    socket.deleteLater();
}

}  // namespace tavero
