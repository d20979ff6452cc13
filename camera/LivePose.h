#pragma once

#include "camera/CameraPose.h"
#include "camera/RecordingEffects.h"

#include <QPointF>
#include <QRectF>

namespace tavero {

// The smart camera of a recording with the camera picture, moved while the
// take is written, so the live file already shows the zoom: the pointer's
// focus is chased, the zoom eases in once the pointer has been busy inside
// the recorded area (not before 0.8 s) and out after 2.2 s of rest, with
// the time constants of SmartCameraTrack. One per part; its time starts at
// 0 with the part. Any one thread.
class LivePose {
public:
    // `bounds`: the recorded area, in the pointer's coordinates. An empty
    // area holds no pointer: the camera then stays on the whole frame.
    LivePose(const QRectF& bounds, const RecordingEffects& effects);

    // Moves the pose to `time` (seconds of the part) with the pointer where
    // it is now; `pressed`: a button is held.
    const CameraPose& advance(double time, const QPointF& pointer, bool pressed);
    const CameraPose& pose() const { return pose_; }

private:
    const QRectF bounds_;
    // The zoom the camera eases towards while the pointer is busy.
    const double zoomedIn_;
    CameraPose pose_;
    QPointF lastPointer_;
    double lastActivity_ = -10;
};

}  // namespace tavero
