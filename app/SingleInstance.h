#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace tavero {

// Keeps one running program per user and display. A later start hands its
// file arguments to the running program through a local socket and ends;
// the running program announces them through started() and confirms them.
// Both ends talk only to a program of the same user. Owns the socket; main
// thread.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // A message beyond this many bytes is refused unread; a later start hands
    // over only the files that fit, the first always among them.
    static constexpr qint64 largestMessage = 1 << 20;

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
    void accept();

    QString name_;
    QLocalServer server_;
};

}  // namespace tavero
