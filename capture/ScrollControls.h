#pragma once

#include "platform/desktop/ScreenContent.h"

#include <QRectF>

#include <memory>

namespace tavero {

class ScrollingCapture;

// The floating control bar and the green frame of a running scrolling
// screenshot. The frame lies outside the captured region; the bar, which
// the frames keep out, may lie over it where the screen has no room beside
// it. Destroying the object closes both windows. Main thread.
class ScrollControls {
public:
    virtual ~ScrollControls() = default;

    // Orders both windows to the front without activating this program.
    virtual void present() = 0;
};

// Opens the bar and the frame. Installed into the ScrollingCapture by the
// widget layer (capture/ui), which the session cannot see. Main thread.
class ScrollControlsPresenter {
public:
    virtual ~ScrollControlsPresenter() = default;

    // The windows around `rect` (points of `display`, top-left origin), the
    // bar showing and finishing `session`; none when no screen shows the
    // display.
    virtual std::unique_ptr<ScrollControls> open(ScrollingCapture& session, const DisplayInfo& display,
                                                 const QRectF& rect) = 0;
};

}  // namespace tavero
