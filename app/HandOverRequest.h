#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

namespace tavero {

// The files a later start hands to the running program, as bytes on the
// socket. Each path ends with a NUL, the one byte no path holds, so every
// name (one with a line break too) arrives whole; an empty path, a NUL of its
// own, ends the request. The running program reads a request as it arrives
// and refuses it at the first path it would not open: a relative one, whose
// meaning depends on the sender's folder, or one longer than the system
// takes (PATH_MAX with its NUL). Plain value; any thread.
class HandOverRequest {
public:
    // A request beyond this many bytes is refused unread; a later start hands
    // over only the files that fit, the first always among them.
    static constexpr qsizetype largest = 1 << 20;

    enum class State { unfinished, ended, refused };

    // `files` (absolute paths), as many as fit, in their order, and the end.
    static QByteArray encode(const QStringList& files);

    // Takes the next bytes received; once the request has ended or been
    // refused, more bytes change nothing.
    State take(QByteArrayView bytes);
    State state() const { return state_; }
    // The bytes held, which the paths of an ended request are read from.
    qsizetype size() const { return message_.size(); }
    // The paths of an ended request, in their order.
    QStringList files() const;

private:
    State checkPath(qsizetype end);

    QByteArray message_;
    // Where the path not yet ended begins.
    qsizetype pathStart_ = 0;
    State state_ = State::unfinished;
};

}  // namespace tavero
