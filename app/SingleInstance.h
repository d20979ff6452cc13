#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace tavero {

// Keeps one running program per user and display. A later start hands its
// file arguments to the running program through a local socket and ends;
// the running program announces them through started(). Both ends talk only
// to a program of the same user. Owns the socket; main thread.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Files beyond this many bytes of paths are not read.
    static constexpr qint64 largestMessage = 1 << 20;

    // The socket of this user on this display, in a folder only this user
    // can enter; empty when there is none, and then every start runs alone.
    static QString defaultName();

    explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

    // Hands `files` (absolute paths) to a running program; true when one
    // took them. Blocks for at most a few seconds, before the event loop runs.
    bool handOver(const QStringList& files);
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
