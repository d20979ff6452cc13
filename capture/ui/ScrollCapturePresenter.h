#pragma once

#include "capture/ScrollControls.h"

#include <QRect>

namespace tavero {

// Opens the scrolling screenshot's control bar below the region (above it
// when the visible area has no room below) and the green frame around it,
// both on every workspace. Stateless; main thread.
class ScrollCapturePresenter final : public ScrollControlsPresenter {
public:
    std::unique_ptr<ScrollControls> open(ScrollingCapture& session, const DisplayInfo& display,
                                         const QRectF& rect) override;

    // Where the bar goes for `region` on a screen whose visible area is
    // `visible`, both in desktop points.
    static QRect barGeometry(const QRectF& region, const QRect& visible);
};

}  // namespace tavero
