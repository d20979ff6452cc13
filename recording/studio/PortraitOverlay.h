#pragma once

#include "camera/CameraFraming.h"
#include "camera/PortraitLayout.h"

#include <QRectF>

#include <functional>
#include <optional>

namespace tavero {

class WebcamFeed;

// The floating camera picture over the recorded area, which the user can drag
// and switch to or from full screen. It lives in the widget layer; the studio
// owns one for its whole life. Rectangles are global screen points, top-left
// origin. Main thread.
class PortraitOverlay {
public:
    using Changed = std::function<void(const PortraitLayout& layout)>;

    virtual ~PortraitOverlay() = default;

    // Opens the picture over `bounds`; with a framing, the framing's preview
    // of a camera-only take instead.
    virtual void show(WebcamFeed& feed, const QRectF& bounds, const PortraitLayout& layout,
                      const std::optional<CameraFraming>& framing) = 0;
    // Moves the open picture to the new place.
    virtual void update(const QRectF& bounds, const PortraitLayout& layout) = 0;
    virtual void close() = 0;

    // Called with the new layout when the user drags the picture or switches
    // it to or from full screen.
    void setChanged(Changed changed) { changed_ = std::move(changed); }

protected:
    void reportChange(const PortraitLayout& layout) const {
        if (changed_) changed_(layout);
    }

private:
    Changed changed_;
};

}  // namespace tavero
