#pragma once

#include "platform/Scheduler.h"
#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11RepaintWait.h"

#include <QImage>
#include <QRect>

#include <optional>

namespace tavero::x11 {

class ImageGrabber;

// The window a window-scoped recording follows, by its own pixels. Its top
// level (the window manager's frame, where there is one) is redirected for
// as long as this lives, so that what covers it never shows; its pixmap is
// named again after each resize or map; a DAMAGE record on it and its
// structure events tell what changed. What covered it when redirected shows
// black until it draws there (RepaintWait). Gone means destroyed, or
// unmapped by its program for good: an iconified window is only hidden.
//
// Uses the feed's connection on the feed's thread; the feed offers it every
// event of the connection through takeEvent().
class FollowedWindow {
public:
    // Throws PictureFeed::Lost when the window is gone.
    FollowedWindow(Connection& connection, ImageGrabber& grabber, xcb_window_t client, bool composite,
                   std::optional<uint8_t> damageEvent);
    ~FollowedWindow();
    FollowedWindow(const FollowedWindow&) = delete;
    FollowedWindow& operator=(const FollowedWindow&) = delete;

    // Where the top level lies, in root pixels, its border included, as last
    // asked (at the last grab).
    QRect frame() const { return frame_; }

    // Whether `event` is about this window; `changed` then says whether its
    // picture may have changed.
    bool takeEvent(const xcb_generic_event_t& event, bool& changed);
    // When checkAlive() must look again (an unmap to judge), if ever.
    std::optional<MonotonicTime> nextCheck() const;
    // Throws PictureFeed::Lost("窗口已关闭") once the window is gone.
    void checkAlive();

    // The window's pixels now: its own (Composite), black where it has yet
    // to draw what covered it when redirected, or else the visible ones of
    // its frame; none while it is hidden (iconified, on another workspace).
    // Throws Lost.
    std::optional<QImage> grab();

private:
    void follow();
    void watch(xcb_window_t topLevel);
    void unwatch();
    void namePixmap();
    void freePixmap();
    void settle();
    void takeOwnEvent(const xcb_generic_event_t& event);
    void paintUndrawn(QImage& image) const;
    QImage visiblePixels();
    [[noreturn]] void lose();

    Connection& connection_;
    ImageGrabber& grabber_;
    const xcb_window_t client_;
    const bool composite_;
    const std::optional<uint8_t> damageEvent_;
    RepaintWait repaints_;
    xcb_window_t topLevel_ = XCB_WINDOW_NONE;
    uint32_t damage_ = 0;
    xcb_pixmap_t pixmap_ = XCB_PIXMAP_NONE;
    QRect frame_;
    QPoint origin_;
    uint8_t depth_ = 0;
    bool viewable_ = false;
    // The top level, its place or its pixmap must be asked again.
    bool stale_ = true;
    bool destroyed_ = false;
    std::optional<MonotonicTime> unmappedAt_;
};

}  // namespace tavero::x11
