#pragma once

#include "camera/PortraitLayout.h"
#include "platform/Scheduler.h"
#include "platform/sound/SoundCapture.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace tavero {

// What the feed hands its one observer: camera pictures and, for camera-only
// takes, the microphone's sound. Called on the thread that delivered the
// sample, outside the feed's lock; it must hand heavy work on.
struct WebcamObserver {
    // A camera picture (Format_RGB32) and when it was captured.
    std::function<void(const QImage& picture, MonotonicTime captured)> picture;
    // A buffer of microphone sound; valid only during the call.
    std::function<void(const SoundChunk& sound)> sound;
};

// The one camera (and, for camera-only takes, microphone) capture of the
// program, shared by the framing preview, the portrait overlay and the camera
// writer. The recording studio owns one for its whole life, starts it when
// the camera is switched on and stops it when it is switched off or a take
// ends. Its state and every answer live on the main thread; changed() follows
// each change of ready(), preparing() or message().
//
// Every sample passes through accept(), from any thread: the feed keeps the
// latest picture and hands each sample to at most one observer. Tests call
// accept() themselves on a feed that was never started.
class WebcamFeed : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(bool ready)>;

    // (Re)starts the camera, with the default microphone when asked, and
    // answers with ready() on the main thread; a later start() or stop()
    // supersedes it, and its completion is then never called.
    virtual void start(bool microphone, Completion completion = {}) = 0;
    // Supersedes any start in flight and stops the camera; message() stays.
    virtual void stop() = 0;

    // The camera runs and delivers pictures.
    virtual bool ready() const = 0;
    // A permission request or the camera's set-up is under way.
    virtual bool preparing() const = 0;
    // The feed's one-line status, the error's sentence after a failure.
    virtual QString message() const = 0;

    // The portrait layout the camera writer composes with.
    PortraitState& portrait() { return *portrait_; }
    // The same, for a writer that may outlive the feed.
    std::shared_ptr<const PortraitState> sharedPortrait() const { return portrait_; }

    // A camera picture: kept as the latest and handed to the observer.
    void accept(const QImage& picture, MonotonicTime captured);
    // Microphone sound: only the observer sees it.
    void accept(const SoundChunk& sound);
    // The latest camera picture; null before the first and after a stop.
    QImage latest() const;
    // Replaces the one observer; none removes it. A sample being handed
    // over right now may still reach the previous observer.
    void observe(std::shared_ptr<const WebcamObserver> observer);

signals:
    void changed();

protected:
    void forgetLatest();

private:
    const std::shared_ptr<PortraitState> portrait_ = std::make_shared<PortraitState>();
    mutable std::mutex lock_;
    QImage latest_;
    std::shared_ptr<const WebcamObserver> observer_;
};

}  // namespace tavero
