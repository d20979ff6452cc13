#pragma once

#include "platform/Result.h"
#include "recording/RecordedVideo.h"

#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace tavero {

// A writer of one part file of a take: the interface the session drives the
// screen writer and the camera writer through. The session owns the writer;
// the callbacks it installs must not keep the writer alive.
//
// Calling order a writer may rely on: the session sets onStarted, onStopping
// and onFinished (in that order), calls start(), reads videoSize() right after
// start() returns and again when onStarted fires, and reads elapsed() while
// recording and once more when the segment is paused, stopped or ends by
// itself. Everything happens on the main thread, callbacks included.
class RecordingSegmentWriting {
public:
    RecordingSegmentWriting() = default;
    RecordingSegmentWriting(const RecordingSegmentWriting&) = delete;
    RecordingSegmentWriting& operator=(const RecordingSegmentWriting&) = delete;
    virtual ~RecordingSegmentWriting() = default;

    // Pixel size of the video written; valid once start() has returned.
    virtual QSize videoSize() const = 0;
    // Seconds recorded into this segment's file so far: finite, never
    // negative, 0 before writing begins.
    virtual double elapsed() const = 0;

    // Creates the capture and begins writing to `path`. Everything that can be
    // known before the capture runs (already writing, too little disk space,
    // an impossible configuration) is thrown here as a ShotError, and then no
    // callback follows.
    virtual void start(const QString& path) = 0;
    // Asks the writer to end and finish its file. A reason becomes the
    // delivered part's interruption unless one was noted earlier. Repeated
    // calls, or calls after the segment ended by itself, do nothing.
    virtual void stop(const std::optional<QString>& reason = std::nullopt) = 0;

    // Writing has really begun: at most once per segment, never after a stop
    // was asked for.
    std::function<void()> onStarted;
    // The segment begins to end, asked to or by itself; may come more than
    // once, and repeats are harmless.
    std::function<void()> onStopping;
    // Exactly once for every segment whose start() did not throw: the
    // validated part, or a ShotError. Afterwards the writer holds no capture
    // resources.
    std::function<void(Result<RecordedVideo>)> onFinished;
};

}  // namespace tavero
