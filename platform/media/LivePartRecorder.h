#pragma once

#include "platform/PictureFeed.h"
#include "platform/media/SoundRecorder.h"

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tavero::media {

// How one live part is recorded.
struct LivePartFormat {
    // The part's picture size, even in both directions; pictures of another
    // size are fitted in, their aspect kept.
    QSize size;
    // One AAC track per entry, listing the inputs mixed into it; none: a
    // silent part. Screen parts have one track of both inputs; camera parts
    // keep "system" and "mic" apart.
    SoundRecorder::Tracks tracks;
    // The tracks' names, one per track ("system", "mic"); empty names leave
    // a track unnamed.
    QStringList trackNames;
};

// What a finished part recorded.
struct LivePartReport {
    // Seconds of video written.
    double seconds = 0;
    // Pictures written, and pictures dropped because the encoder fell behind.
    qint64 pictures = 0;
    qint64 dropped = 0;
    // Seconds of sound dropped because the sound thread fell behind.
    double soundDropped = 0;
};

// Records one part of a take while it happens: a grab thread takes pictures
// from the feed on monotonic deadlines (at most 30 a second, only when
// something changed or a second has passed), a bounded queue hands them to
// an encoder thread that writes them with their own times (PartWriter), and
// the sound of the part's inputs is placed on the same clock (SoundRecorder).
// The part's time zero is its first picture.
//
// Made and finished on one owning thread; the callbacks run on the
// recorder's own threads and must return quickly.
class LivePartRecorder {
public:
    // The first picture is written: the part has really begun. Once.
    using Started = std::function<void()>;
    // The part cannot go on (the feed was lost, the sound server went away,
    // the disk refused a write); `description` says so in a few Chinese
    // words. At most once, never after finish() began.
    using Failed = std::function<void(const QString& description)>;

    // Creates the part file at `path` and starts grabbing and capturing
    // sound. Throws ShotError for sound that cannot be opened ("无法连接声音
    // 服务，请确认系统声音可用后重试。", "没有找到麦克风。") and MediaError for
    // a file that cannot be made; nothing runs then.
    LivePartRecorder(const QString& path, std::unique_ptr<PictureFeed> feed, const LivePartFormat& format,
                     Started started, Failed failed, const SoundRecorder::Open& openSound = openSoundCapture);
    // Without finish(): stops everything; the file ends with its last
    // complete fragment, and is removed when none reached the disk.
    ~LivePartRecorder();
    LivePartRecorder(const LivePartRecorder&) = delete;
    LivePartRecorder& operator=(const LivePartRecorder&) = delete;

    // Seconds of video written so far. Any thread.
    double elapsed() const;

    // Stops grabbing with a last picture (so that a part of a still screen
    // lasts until now too), writes the pictures still queued and the sound up
    // to the last picture's end, and completes the file. Blocks until done,
    // so the owner calls it off the main thread. Throws MediaError; once it
    // has, the part is left as the destructor leaves it. A second call
    // answers as the first.
    LivePartReport finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tavero::media
