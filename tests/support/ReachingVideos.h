#pragma once

#include "tests/support/Files.h"

#include <QString>

#include <map>

namespace tavero::test {

// Files named like videos whose content would have FFmpeg open more than
// the file itself, and what they would reach, so a test sees whether a
// reader followed them: a listener of the test's own on the loopback
// address, a FIFO that nobody writes to, and a Matroska segment beside them
// that a player following linked segments would open. Some are lists and
// hold no video; the others hold a video of their own, which plays as that
// one file. Whatever a reader waits on is let go when asked, so a test of a
// reader that follows them ends either way.
class ReachingVideos {
public:
    enum class Kind {
        // An HLS playlist whose one segment lies on the listener.
        playlist,
        // A concat list naming the FIFO.
        fifoList,
        // A concat list naming itself.
        selfList,
        // Matroska whose segment links to others: the one before by the
        // FIFO's name, the one after by the listener's address and by the
        // UID of the segment beside it, which shares its family.
        matroskaLinkedSegments,
        // Matroska whose ordered chapters play the segment beside it (by its
        // UID) and whose chapter commands and titles name the listener.
        matroskaChapters,
        // Matroska whose attachments are named after the FIFO and the
        // listener and hold the playlist and the list.
        matroskaAttachments,
        // WebM whose track's codec data holds the playlist and whose tags
        // name the listener.
        webmAddresses,
        // MPEG-TS followed, beyond the first 64 KB by which a container is
        // known, by the playlist.
        mpegtsThenPlaylist,
        // MPEG-TS followed by the list naming the FIFO.
        mpegtsThenList,
    };
    static constexpr Kind kinds[] = {Kind::playlist,         Kind::fifoList,
                                     Kind::selfList,         Kind::matroskaLinkedSegments,
                                     Kind::matroskaChapters, Kind::matroskaAttachments,
                                     Kind::webmAddresses,    Kind::mpegtsThenPlaylist,
                                     Kind::mpegtsThenList};

    // Writes the files into `folder`; a failure fails the test.
    explicit ReachingVideos(const QString& folder);
    ~ReachingVideos();
    ReachingVideos(const ReachingVideos&) = delete;
    ReachingVideos& operator=(const ReachingVideos&) = delete;

    QString path(Kind kind) const;
    static const char* name(Kind kind);
    // The seconds of video the file of `kind` holds itself; 0 for a list.
    static double secondsHeld(Kind kind);

    // How many readers connected to the listener so far. Each connection is
    // closed, so a reader waiting for an answer reads an end instead.
    int connections();
    // Whether a reader has the FIFO open or waits to open it; it is let go.
    bool fifoReaders() const { return fifo_.letReadersGo(); }
    // How often the file of `kind` was opened since it was written.
    int opened(Kind kind);
    // Fails the test unless a reader of the file of `kind` reached nothing it
    // names (no connection, no FIFO, not the segment beside it) and, when it
    // holds no video, opened it once.
    void expectNothingReached(Kind kind);

private:
    // How often the file `name` of the folder was opened since it was written.
    int opened(const QString& name);
    // Counts the opens of the folder's files that the system reported so far.
    void countOpens();

    QString folder_;
    int listener_ = -1;
    int connections_ = 0;
    int watch_ = -1;
    std::map<QString, int> opens_;
    Fifo fifo_;
};

}  // namespace tavero::test
