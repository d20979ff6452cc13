#pragma once

namespace tavero {

// One pose of the virtual camera that follows the pointer. Positions are
// fractions of the video frame with y measured from the top.
struct CameraPose {
    // Seconds on the recording's time line.
    double time = 0;
    // The centre of the visible viewport.
    double x = 0.5;
    double y = 0.5;
    // Magnification; 1 shows the whole frame.
    double zoom = 1;
    // The smoothed pointer focus the camera is chasing.
    double focusX = 0.5;
    double focusY = 0.5;

    friend bool operator==(const CameraPose&, const CameraPose&) = default;
};

}  // namespace tavero
