#include "tests/support/ReachingVideos.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavero::test {

namespace {

// A listening socket on the loopback address that nobody accepts from by
// itself; -1 when there is none.
int listenOnLoopback(quint16& port) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener, 16) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) ::close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

QByteArray playlistNaming(quint16 port) {
    return QByteArrayLiteral("#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:0\n"
                             "#EXTINF:2.0,\nhttp://127.0.0.1:") +
           QByteArray::number(port) + QByteArrayLiteral("/segment.ts\n#EXT-X-ENDLIST\n");
}

QByteArray concatListNaming(const char* file) {
    return QByteArrayLiteral("ffconcat version 1.0\nfile '") + file + QByteArrayLiteral("'\n");
}

}  // namespace

ReachingVideos::ReachingVideos(const QString& folder)
    : folder_(folder), fifo_(folder + QStringLiteral("/pipe.mp4")) {
    quint16 port = 0;
    listener_ = listenOnLoopback(port);
    if (listener_ < 0) ADD_FAILURE() << "no listener on the loopback address";
    writeFile(path(Kind::playlist), playlistNaming(port));
    writeFile(path(Kind::fifoList), concatListNaming("pipe.mp4"));
    writeFile(path(Kind::selfList), concatListNaming("self.mp4"));
    // The system merges an event with the one before it when they are alike:
    // reads and closes in between keep each open apart.
    watch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const uint32_t events = IN_OPEN | IN_ACCESS | IN_CLOSE_NOWRITE;
    if (watch_ < 0 || ::inotify_add_watch(watch_, QFile::encodeName(folder).constData(), events) < 0)
        ADD_FAILURE() << "cannot watch " << folder.toStdString();
}

ReachingVideos::~ReachingVideos() {
    connections();
    if (listener_ >= 0) ::close(listener_);
    if (watch_ >= 0) ::close(watch_);
}

QString ReachingVideos::path(Kind kind) const {
    switch (kind) {
    case Kind::playlist:
        return folder_ + QStringLiteral("/playlist.mp4");
    case Kind::fifoList:
        return folder_ + QStringLiteral("/list.mp4");
    case Kind::selfList:
        return folder_ + QStringLiteral("/self.mp4");
    }
    return {};
}

const char* ReachingVideos::name(Kind kind) {
    switch (kind) {
    case Kind::playlist:
        return "playlist";
    case Kind::fifoList:
        return "fifoList";
    case Kind::selfList:
        return "selfList";
    }
    return "";
}

int ReachingVideos::opened(Kind kind) {
    countOpens();
    return opens_[QFileInfo(path(kind)).fileName()];
}

void ReachingVideos::expectNothingReached(Kind kind) {
    EXPECT_EQ(connections(), 0) << "connected to the address the playlist names";
    EXPECT_FALSE(fifoReaders()) << "opened the FIFO the list names";
    EXPECT_EQ(opened(kind), 1) << "opened again as the list names it";
}

void ReachingVideos::countOpens() {
    alignas(inotify_event) char events[64 << 10];
    for (ssize_t length; watch_ >= 0 && (length = ::read(watch_, events, sizeof events)) > 0;) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            if ((event->mask & IN_OPEN) && event->len > 0) ++opens_[QFile::decodeName(event->name)];
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

int ReachingVideos::connections() {
    for (int connection; listener_ >= 0 && (connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
        ::close(connection);
        ++connections_;
    }
    return connections_;
}

}  // namespace tavero::test
