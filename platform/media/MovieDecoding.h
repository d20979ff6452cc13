#pragma once

#include "platform/media/CancelToken.h"
#include "platform/media/MovieDecoder.h"
#include "platform/media/PlaybackClock.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace tavero {
class SoundOutput;
}

namespace tavero::media {

// A picture decoded ahead, converted for the screen, for the seek it
// belongs to.
struct QueuedPicture {
    int generation = 0;
    std::shared_ptr<MovieFrame> frame;
    QImage image;
};

// What a playback's main thread and its decoding thread share, under `lock`.
struct MovieShared {
    explicit MovieShared(double start) : clock(start) {}

    // Wakes the decoding thread; without the lock held.
    void poke() {
        {
            std::lock_guard guard(lock);
            poked = true;
        }
        wake.notify_all();
    }

    std::mutex lock;
    std::condition_variable wake;
    bool poked = false;
    // Asked by the main thread.
    bool stopping = false;
    bool playing = false;
    // Counts the seeks; a seek's pictures carry its number.
    int generation = 0;
    std::optional<double> seekTo;
    QSize bounds;
    // Run by the main thread, followed by the decoding thread as the sound
    // is heard.
    PlaybackClock clock;
    std::deque<QueuedPicture> pictures;
    // The decoding thread gave the last picture of the current seek.
    bool picturesEnded = false;
};

// The decoding thread of a playback: opens the file, keeps a few pictures
// and half a second of sound decoded ahead of the clock, feeds the sound to
// a SoundOutput while playing and has the clock follow what is heard. A
// lost sound server drops the output and lets the clock run free; while
// playing, a new output is tried every two seconds, and at once on play.
// Reports run on the decoding thread.
class MovieDecoding {
public:
    struct Reports {
        std::function<void(double duration, QSize size, int turn, bool sound)> opened;
        std::function<void()> unplayable;
        // A picture was queued, or the last one was given.
        std::function<void()> picturesArrived;
    };

    MovieDecoding(MovieShared& shared, QString path, double start, CancelToken cancel, Reports reports);
    ~MovieDecoding();
    MovieDecoding(const MovieDecoding&) = delete;
    MovieDecoding& operator=(const MovieDecoding&) = delete;

    // The thread's work; returns once the shared state says stopping. No
    // exception leaves it.
    void run();
    // Abandons a read under way, for a thread asked to stop. Any thread.
    void cancel() const { cancel_.cancel(); }

private:
    using Time = std::chrono::steady_clock::time_point;

    // The sound written into the current stream.
    struct Segment {
        double start = 0;
        double next = 0;
        // The output was told that no more comes.
        bool finished = false;
    };

    bool open();
    void work();
    bool step(std::optional<double> seekTo, int generation, bool resumed);
    void seek(double time, int generation, Time now);
    void keepOutput(Time now);
    void dropOutput(Time now);
    bool outputStalled(Time now);
    void feedOutput();
    void followSound(Time now);
    bool decodeAhead();
    bool late(const MovieFrame& picture);
    QueuedPicture convert(MovieFrame frame);
    void queue(QueuedPicture picture);
    void endPictures();
    double clockPosition();
    void forgetPlayedSound(double position);
    void writeSilence(int frames);

    MovieShared& shared_;
    const QString path_;
    const double start_;
    const CancelToken cancel_;
    const Reports reports_;
    std::optional<MovieDecoder> decoder_;
    int generation_ = 0;
    bool playing_ = false;
    bool picturesEnded_ = false;
    bool queuedSinceSeek_ = false;
    bool soundEnded_ = false;
    // Decoded sound waiting for the output; `used_` frames of the first are
    // written.
    std::deque<MovieSound> sound_;
    size_t used_ = 0;
    double soundDecodedTo_ = 0;
    std::unique_ptr<SoundOutput> output_;
    // The output took everything decoded and wants more.
    bool outputHungry_ = false;
    std::optional<Segment> segment_;
    Time outputMade_{};
    Time nextOutput_{};
    // The sound last heard, and when it last moved on.
    std::optional<double> heard_;
    Time heardMoved_{};
    // Everything was heard: the clock runs on alone.
    bool soundFinished_ = false;
};

}  // namespace tavero::media
