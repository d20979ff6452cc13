#pragma once

#include "camera/CameraFraming.h"
#include "camera/RecordingEffects.h"
#include "platform/Result.h"
#include "recording/RecordedVideo.h"
#include "recording/RecordingCaptureSettings.h"

#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace tavero {

class WebcamFeed;

// What a take with the camera picture records.
struct CameraTake {
    WebcamFeed* feed = nullptr;
    // The screen under the picture; none for the camera alone.
    std::optional<RecordingCaptureSettings> screen;
    RecordingEffects effects;
    // The recorded area in global screen points.
    QRectF bounds;
    bool microphone = false;
    CameraFraming framing;
};

// The studio's side of the screen recorder that writes a take as parts:
// what the studio asks of it, what it reads and the reports it listens to.
// Main thread; every report arrives there, and may come from inside the call
// that caused it (a stop reports at once that the take is stopping).
class TakeRecorder {
public:
    using Finished = std::function<void(Result<RecordedVideo> result)>;

    virtual ~TakeRecorder() = default;

    // Seconds recorded in the take; it stands still while pausing and paused.
    virtual double elapsed() const = 0;
    // Pixels of the take's pictures, once its first part has started.
    virtual QSize videoSize() const = 0;

    // Begins a take into `url`: the screen alone, or the camera picture over
    // the screen or alone. Throws ShotError, and then no report follows.
    virtual void start(const RecordingCaptureSettings& settings, const QString& url) = 0;
    virtual void startWithCamera(const CameraTake& take, const QString& url) = 0;
    // Closes the current part; only while recording.
    virtual void pause() = 0;
    // Opens the next part; only while paused.
    virtual void resume() = 0;
    // Ends the take; a reason becomes its interruption.
    virtual void stop(const std::optional<QString>& reason = std::nullopt) = 0;

    // A part has begun writing: the first and every resumed one.
    void setOnStarted(std::function<void()> started) { onStarted_ = std::move(started); }
    // A pause is complete: the current part is closed.
    void setOnPaused(std::function<void()> paused) { onPaused_ = std::move(paused); }
    // The take begins to end, asked to or by itself; may come more than once.
    void setOnStopping(std::function<void()> stopping) { onStopping_ = std::move(stopping); }
    // The take is over: its video or why there is none. Once per take.
    void setOnFinished(Finished finished) { onFinished_ = std::move(finished); }

protected:
    void reportStarted() const { notify(onStarted_); }
    void reportPaused() const { notify(onPaused_); }
    void reportStopping() const { notify(onStopping_); }
    void reportFinished(Result<RecordedVideo> result) const {
        if (const Finished finished = onFinished_) finished(std::move(result));
    }

private:
    // Through a copy: the listener may replace the callback while it runs.
    static void notify(const std::function<void()>& callback) {
        if (const std::function<void()> copy = callback) copy();
    }

    std::function<void()> onStarted_;
    std::function<void()> onPaused_;
    std::function<void()> onStopping_;
    Finished onFinished_;
};

}  // namespace tavero
