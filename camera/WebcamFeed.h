#pragma once

#include "camera/PortraitLayout.h"

#include <QObject>
#include <QString>

#include <functional>

namespace tavero {

// The one camera (and, for camera-only takes, microphone) capture of the
// program, shared by the framing preview, the portrait overlay and the camera
// writer. The recording studio owns one for its whole life, starts it when
// the camera is switched on and stops it when it is switched off or a take
// ends. Its state and every answer live on the main thread; changed() follows
// each change of ready(), preparing() or message().
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
    PortraitState& portrait() { return portrait_; }

signals:
    void changed();

private:
    PortraitState portrait_;
};

}  // namespace tavero
