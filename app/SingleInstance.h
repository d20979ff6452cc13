#pragma once

#include "app/HandOverRequest.h"

#include <QList>
#include <QLocalServer>
#include <QObject>
#include <QStringList>

#include <chrono>

class QLocalSocket;

namespace tavero {

// Keeps one running program per user and display. A later start hands its
// file arguments to the running program through a local socket and ends;
// the running program announces them through started() and confirms them.
// Both ends talk only to a program of the same user. What later starts may
// hold of the running program is bounded: a few connections at once, a few
// megabytes between them, and a few seconds without a byte each. Owns the
// socket; main thread.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // A request beyond this many bytes is refused.
    static constexpr qint64 largestMessage = HandOverRequest::largest;
    // Connections past this many at once are closed unread: each holds a
    // file handle of the running program. One whose start has gone no
    // longer counts, though its end may not have been handled yet, so a
    // start right after a burst is served; with those, twice as many at most.
    static constexpr int mostConnections = 32;
    // What all connections together may hold before they end: eight requests
    // of the largest size. The one that would pass it is refused.
    static constexpr qint64 mostHeld = 8 * largestMessage;
    // A connection that sends nothing for this long is closed; a later start
    // sends its request at once.
    static constexpr std::chrono::seconds idleLimit{5};

    enum class HandOver {
        delivered,     // the running program confirmed the files
        noProgram,     // none of ours runs: this start runs on its own
        notConfirmed,  // ours runs but did not confirm them in time
    };

    // The socket of this user on this display, in a folder only this user
    // can enter; empty when there is none, and then every start runs alone.
    static QString defaultName();

    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

    // Hands `files` (absolute paths) to a running program. Blocks for at most
    // a few seconds, before the event loop runs.
    HandOver handOver(const QStringList& files);
    // Takes the name for this program, replacing a socket left behind by one
    // that ended; false when it cannot.
    bool listen();

signals:
    // A later start, with its files; none for a start without files.
    void started(const QStringList& files);

private:
    struct Connection;

    void accept();
    bool full() const;
    void serve(QLocalSocket* socket);
    void read(QLocalSocket& socket, Connection& connection);
    void answer(QLocalSocket& socket, Connection& connection, char reply);
    void close(QLocalSocket& socket, Connection& connection);

    QString name_;
    QList<QLocalSocket*> connections_;
    // The bytes of requests not yet ended, of all connections.
    qint64 held_ = 0;
    // Last, so that the connections it ends as it goes find the counts above.
    QLocalServer server_;
};

}  // namespace tavero
