#pragma once

#include "tests/support/Files.h"

#include <QString>

#include <map>

namespace tavero::test {

// Files named like videos whose content would have FFmpeg open more than
// the file itself, and what they would reach, so a test sees whether a
// reader followed them. Whatever a reader waits on is let go when asked, so
// a test of a reader that follows them ends either way.
class ReachingVideos {
public:
    enum class Kind {
        // An HLS playlist whose one segment lies on a listener of the test's own.
        playlist,
        // A concat list naming a FIFO beside it that nobody writes to.
        fifoList,
        // A concat list naming itself.
        selfList,
    };
    static constexpr Kind kinds[] = {Kind::playlist, Kind::fifoList, Kind::selfList};

    // Writes the files into `folder`; a failure fails the test.
    explicit ReachingVideos(const QString& folder);
    ~ReachingVideos();
    ReachingVideos(const ReachingVideos&) = delete;
    ReachingVideos& operator=(const ReachingVideos&) = delete;

    QString path(Kind kind) const;
    static const char* name(Kind kind);

    // How many readers connected to the listener so far. Each connection is
    // closed, so a reader waiting for an answer reads an end instead.
    int connections();
    // Whether a reader has the FIFO open or waits to open it; it is let go.
    bool fifoReaders() const { return fifo_.letReadersGo(); }
    // How often the file of `kind` was opened since it was written.
    int opened(Kind kind);
    // Fails the test unless a reader of the file of `kind` reached nothing it
    // names (no connection, no FIFO) and opened it once.
    void expectNothingReached(Kind kind);

private:
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
