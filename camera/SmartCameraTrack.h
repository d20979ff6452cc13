#pragma once

#include "camera/CameraPose.h"
#include "camera/CursorSample.h"
#include "camera/RecordingEffects.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

namespace tavero {

// The virtual camera move of a finished recording: it follows the pointer
// smoothly, zooms in while the user works in one place and back out when the
// pointer rests or leaves the recorded target. Built once per render in one
// pass over the pointer samples; a plain value, safe to read from any thread.
class SmartCameraTrack {
public:
    // One pose for the start of the recording (the whole frame) and one per
    // usable sample. Samples with a negative or non-finite time, a
    // non-finite position, or a time earlier than the one before leave no
    // pose. Only `autoZoom` and `zoom` (used within 1…2.5) of the effects count.
    SmartCameraTrack(const QList<CursorSample>& samples, const RecordingEffects& effects);

    // The pose at `time`, interpolated between the poses around it; before
    // the first and after the last it holds their values, stamped `time`.
    CameraPose at(double time) const;

    // The visible part of a frame of `size` pixels for `pose`: kept inside
    // the frame, and given with its origin at the frame's bottom-left corner,
    // as image compositors with that origin expect it.
    static QRectF viewport(const CameraPose& pose, const QSizeF& size);

    // The effect's zoom as the camera uses it: within 1…2.5, 1 for NaN.
    static double usableZoom(double zoom);

    // In order of non-decreasing time; never empty.
    const QList<CameraPose>& poses() const { return poses_; }

private:
    QList<CameraPose> poses_;
};

}  // namespace tavero
