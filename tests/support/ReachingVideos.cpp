#include "tests/support/ReachingVideos.h"

#include "tests/support/CraftedMatroska.h"
#include "tests/support/MediaFixtures.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace tavero::test {

namespace {

using Kind = ReachingVideos::Kind;

// CraftedMatroska holds a second; the MPEG-TS files two, so that they reach
// beyond the 64 KB by which a container is known.
constexpr double matroskaSeconds = 1.0;
constexpr double mpegtsSeconds = 2.0;
constexpr qsizetype probedBytes = 64 << 10;

struct Row {
    Kind kind;
    const char* name;
    const char* file;
    double seconds;
};

constexpr Row rows[] = {
    {Kind::playlist, "playlist", "playlist.mp4", 0},
    {Kind::fifoList, "fifoList", "list.mp4", 0},
    {Kind::selfList, "selfList", "self.mp4", 0},
    {Kind::matroskaLinkedSegments, "matroskaLinkedSegments", "linked-segments.mkv", matroskaSeconds},
    {Kind::matroskaChapters, "matroskaChapters", "chapters.mkv", matroskaSeconds},
    {Kind::matroskaAttachments, "matroskaAttachments", "attachments.mkv", matroskaSeconds},
    {Kind::webmAddresses, "webmAddresses", "addresses.webm", matroskaSeconds},
    {Kind::mpegtsThenPlaylist, "mpegtsThenPlaylist", "playlist-after.ts", mpegtsSeconds},
    {Kind::mpegtsThenList, "mpegtsThenList", "list-after.ts", mpegtsSeconds},
};

const Row& rowOf(Kind kind) {
    return *std::find_if(std::begin(rows), std::end(rows), [kind](const Row& row) { return row.kind == kind; });
}

// The segment beside the files, which the linking ones name by its UID.
const QString besideName = QStringLiteral("linked.mkv");
const QByteArray ownUid(16, '\x11'), besideUid(16, '\x22'), earlierUid(16, '\x33'), familyUid(16, '\x44');

// Matroska's IDs of what links a segment to others.
namespace id {

constexpr quint32 segmentUid = 0x73A4, segmentFilename = 0x7384, prevUid = 0x3CB923, prevFilename = 0x3C83AB,
                  nextUid = 0x3EB923, nextFilename = 0x3E83BB, segmentFamily = 0x4444, title = 0x7BA9,
                  chapterTranslate = 0x6924, chapterTranslateEditionUid = 0x69FC, chapterTranslateCodec = 0x69BF,
                  chapterTranslateId = 0x69A5;
constexpr quint32 chapters = 0x1043A770, editionEntry = 0x45B9, editionUid = 0x45BC, editionFlagOrdered = 0x45DD,
                  chapterAtom = 0xB6, chapterUid = 0x73C4, chapterTimeStart = 0x91, chapterTimeEnd = 0x92,
                  chapterSegmentUid = 0x6E67, chapterSegmentEditionUid = 0x6EBC, chapterDisplay = 0x80,
                  chapString = 0x85, chapProcess = 0x6944, chapProcessCodecId = 0x6955, chapProcessCommand = 0x6911,
                  chapProcessTime = 0x6922, chapProcessData = 0x6933;
constexpr quint32 attachments = 0x1941A469, attachedFile = 0x61A7, fileName = 0x466E, fileMimeType = 0x4660,
                  fileData = 0x465C, fileUid = 0x46AE, fileReferral = 0x4675;
constexpr quint32 tags = 0x1254C367, tag = 0x7373, targets = 0x63C0, targetTypeValue = 0x68CA, simpleTag = 0x67C8,
                  tagName = 0x45A3, tagString = 0x4487, tagBinary = 0x4485;

}  // namespace id

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

QByteArray addressOf(quint16 port, const char* file) {
    return QByteArrayLiteral("http://127.0.0.1:") + QByteArray::number(port) + '/' + file;
}

QByteArray playlistNaming(quint16 port) {
    return QByteArrayLiteral(
               "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\n#EXT-X-MEDIA-SEQUENCE:0\n"
               "#EXTINF:2.0,\n") +
           addressOf(port, "segment.ts") + QByteArrayLiteral("\n#EXT-X-ENDLIST\n");
}

QByteArray concatListNaming(const char* file) {
    return QByteArrayLiteral("ffconcat version 1.0\nfile '") + file + QByteArrayLiteral("'\n");
}

QByteArray besideSegment() {
    return CraftedMatroska{.info = ebml::element(id::segmentUid, besideUid) +
                                   ebml::element(id::segmentFamily, familyUid) + ebml::element(id::prevUid, ownUid)}
        .bytes();
}

QByteArray linkingSegment(quint16 port) {
    const QByteArray translate =
        ebml::element(id::chapterTranslate, ebml::number(id::chapterTranslateEditionUid, 1) +
                                                ebml::number(id::chapterTranslateCodec, 0) +
                                                ebml::element(id::chapterTranslateId, addressOf(port, "chapters")));
    return CraftedMatroska{.info = ebml::element(id::segmentUid, ownUid) +
                                   ebml::element(id::segmentFilename, rowOf(Kind::matroskaLinkedSegments).file) +
                                   ebml::element(id::prevUid, earlierUid) +
                                   ebml::element(id::prevFilename, "pipe.mp4") + ebml::element(id::nextUid, besideUid) +
                                   ebml::element(id::nextFilename, addressOf(port, "next.mkv")) +
                                   ebml::element(id::segmentFamily, familyUid) + translate}
        .bytes();
}

QByteArray chapter(quint64 uid, quint64 startNs, quint64 endNs, const QByteArray& more) {
    return ebml::element(id::chapterAtom, ebml::number(id::chapterUid, uid) +
                                              ebml::number(id::chapterTimeStart, startNs) +
                                              ebml::number(id::chapterTimeEnd, endNs) + more);
}

// The first half played from the segment beside it, the second from the
// address its command and title name.
QByteArray orderedChapters(quint16 port) {
    const QByteArray fromBeside =
        chapter(1, 0, 500'000'000,
                ebml::element(id::chapterSegmentUid, besideUid) + ebml::number(id::chapterSegmentEditionUid, 1));
    const QByteArray command = ebml::element(
        id::chapProcess,
        ebml::number(id::chapProcessCodecId, 0) +
            ebml::element(id::chapProcessCommand,
                          ebml::number(id::chapProcessTime, 1) +
                              ebml::element(id::chapProcessData, "GotoAndPlay(" + addressOf(port, "next.mkv") + ")")));
    const QByteArray fromAddress = chapter(
        2, 500'000'000, 1'000'000'000,
        ebml::element(id::chapterDisplay, ebml::element(id::chapString, addressOf(port, "next.mkv"))) + command);
    return ebml::element(id::chapters, ebml::element(id::editionEntry, ebml::number(id::editionUid, 1) +
                                                                           ebml::number(id::editionFlagOrdered, 1) +
                                                                           fromBeside + fromAddress));
}

QByteArray chapteredSegment(quint16 port) {
    return CraftedMatroska{.info = ebml::element(id::segmentUid, ownUid) + ebml::element(id::segmentFamily, familyUid),
                           .more = orderedChapters(port)}
        .bytes();
}

QByteArray attachment(quint64 uid, const QByteArray& name, const QByteArray& type, const QByteArray& data) {
    return ebml::element(id::attachedFile, ebml::element(id::fileName, name) + ebml::element(id::fileMimeType, type) +
                                               ebml::element(id::fileData, data) + ebml::number(id::fileUid, uid) +
                                               ebml::element(id::fileReferral, besideName.toUtf8()));
}

QByteArray attachingSegment(quint16 port) {
    const QByteArray attached =
        attachment(1, "pipe.mp4", "video/mp4", concatListNaming("pipe.mp4")) +
        attachment(2, addressOf(port, "playlist.m3u8"), "application/vnd.apple.mpegurl", playlistNaming(port));
    return CraftedMatroska{.more = ebml::element(id::attachments, attached)}.bytes();
}

QByteArray simpleTag(const QByteArray& name, quint32 kind, const QByteArray& value) {
    return ebml::element(id::simpleTag, ebml::element(id::tagName, name) + ebml::element(kind, value));
}

QByteArray addressingWebm(quint16 port) {
    const QByteArray tag =
        ebml::element(id::tag, ebml::element(id::targets, ebml::number(id::targetTypeValue, 50)) +
                                   simpleTag("URL", id::tagString, addressOf(port, "")) +
                                   simpleTag("PURCHASE_INFO", id::tagString, addressOf(port, "buy")) +
                                   simpleTag("LIST", id::tagBinary, concatListNaming("pipe.mp4")));
    return CraftedMatroska{.docType = "webm",
                           .info = ebml::element(id::title, addressOf(port, "title")),
                           .codecPrivate = playlistNaming(port),
                           .more = ebml::element(id::tags, tag)}
        .bytes();
}

// An MPEG-TS file of its own, made by FFmpeg's command line in `folder`.
QByteArray mpegtsIn(const QString& folder) {
    const QString made = folder + QStringLiteral("/made.ts");
    makeVideo(made, {.duration = mpegtsSeconds,
                     .size = QSize(320, 240),
                     .audio = {systemTone},
                     .container = QStringLiteral("mpegts")});
    const QByteArray bytes = readFile(made);
    QFile::remove(made);
    if (bytes.size() <= probedBytes) ADD_FAILURE() << "the MPEG-TS ends within the bytes its container is known by";
    return bytes;
}

}  // namespace

ReachingVideos::ReachingVideos(const QString& folder) : folder_(folder), fifo_(folder + QStringLiteral("/pipe.mp4")) {
    quint16 port = 0;
    listener_ = listenOnLoopback(port);
    if (listener_ < 0) ADD_FAILURE() << "no listener on the loopback address";
    writeFile(path(Kind::playlist), playlistNaming(port));
    writeFile(path(Kind::fifoList), concatListNaming("pipe.mp4"));
    writeFile(path(Kind::selfList), concatListNaming("self.mp4"));
    writeFile(folder_ + '/' + besideName, besideSegment());
    writeFile(path(Kind::matroskaLinkedSegments), linkingSegment(port));
    writeFile(path(Kind::matroskaChapters), chapteredSegment(port));
    writeFile(path(Kind::matroskaAttachments), attachingSegment(port));
    writeFile(path(Kind::webmAddresses), addressingWebm(port));
    const QByteArray mpegts = mpegtsIn(folder_);
    writeFile(path(Kind::mpegtsThenPlaylist), mpegts + playlistNaming(port));
    writeFile(path(Kind::mpegtsThenList), mpegts + concatListNaming("pipe.mp4"));
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

QString ReachingVideos::path(Kind kind) const { return folder_ + '/' + QLatin1String(rowOf(kind).file); }

const char* ReachingVideos::name(Kind kind) { return rowOf(kind).name; }

double ReachingVideos::secondsHeld(Kind kind) { return rowOf(kind).seconds; }

int ReachingVideos::opened(Kind kind) { return opened(QLatin1String(rowOf(kind).file)); }

int ReachingVideos::opened(const QString& name) {
    countOpens();
    return opens_[name];
}

void ReachingVideos::expectNothingReached(Kind kind) {
    EXPECT_EQ(connections(), 0) << "connected to the address the file names";
    EXPECT_FALSE(fifoReaders()) << "opened the FIFO the file names";
    EXPECT_EQ(opened(besideName), 0) << "opened the segment the file links to";
    if (secondsHeld(kind) == 0) {
        EXPECT_EQ(opened(kind), 1) << "opened again as the list names it";
    }
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
