#pragma once

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11CoveredPixels.h"
#include "platform/desktop/X11LeftPlaces.h"
#include "platform/desktop/X11RepaintWait.h"
#include "platform/desktop/X11Windows.h"

#include <QHash>
#include <QImage>
#include <QRegion>

#include <functional>
#include <optional>

namespace tavero::x11 {

class ImageGrabber;

// Takes this program's floating windows out of grabs of the root window:
// where one of them lies over the grabbed area, the picture is painted again
// from what lies beneath it, the other top-level windows' own pixels bottom
// to top over the root's background. The cost follows the size of our
// windows, not the area's: what lies beneath is kept from picture to picture
// (CoveredPixels) and read again only where a window beneath drew, which
// DAMAGE records on those windows report.
//
// Windows have pixels of their own only while redirected (Composite,
// automatic mode), which costs the server a copy of every paint: the root's
// children are redirected while one of our windows overlaps the area, and
// released at the first grab where none does. Without Composite, pictures
// are left as they are.
//
// Where no window lies beneath ours, what they cover shows the desktop as
// CoveredPixels keeps it: its picture, else what the screen showed there.
//
// A compositing manager paints the screen after the server moved a window:
// while one runs, the places our windows left lately stay covered
// (LeftPlaces), so that no picture shows them where they were. It lays
// windows with an alpha channel over what lies beneath them, and shows of a
// window manager's frame what its extents say.
//
// Uses the caller's connection and grabber on the caller's thread. The
// caller reads the connection's events and offers each to takeEvent().
class OwnWindowRemoval {
public:
    OwnWindowRemoval(Connection& connection, ImageGrabber& grabber);
    ~OwnWindowRemoval();
    OwnWindowRemoval(const OwnWindowRemoval&) = delete;
    OwnWindowRemoval& operator=(const OwnWindowRemoval&) = delete;

    // The root's `area` as `grabScreen` grabs it, painted over where
    // `windows` (ours, clients or frames) lie; `last` is the picture before,
    // let go before the grab. Events the connection reads meanwhile go to
    // `others`, which offers the removal's own to takeEvent(). When
    // redirection begins here, first waits, at most repaintLimit, for the
    // windows beneath to draw what ours cover. What one of them has not
    // drawn by then is black in the pictures until it draws there, where
    // this redirection made its pixmap: that holds our window there.
    QImage grab(const QRect& area, const QList<xcb_window_t>& windows, const std::function<QImage()>& grabScreen,
                ShownPicture last, const EventSink& others);

    // What the last grab() painted over, in root pixels.
    const QRegion& covered() const { return beneath_.region(); }

    // Whether `event` is one of the removal's; `coveredChanged` then says
    // whether a window beneath ours drew inside covered().
    bool takeEvent(const xcb_generic_event_t& event, bool& coveredChanged);
    // The root's DAMAGE reported drawing at `drawn` (root pixels).
    void screenDrawn(const QRect& drawn) { left_.drawn(drawn); }

private:
    // Those of `windows` shown over `area`, with their places and shapes
    // in root pixels.
    QList<TopLevel> placesOf(const QList<xcb_window_t>& windows, const QRect& area);
    QRegion leftWithin(const QRect& area);
    QList<xcb_window_t> followOurs(const QList<TopLevel>& clients, const QList<TopLevel>& stack);
    xcb_window_t topLevelOf(xcb_window_t client, const QList<TopLevel>& stack);
    QRegion windowsAmong(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours);
    void paintOver(QImage& image, const QRect& area, const QList<TopLevel>& stack, const QList<xcb_window_t>& ours,
                   const EventSink& others);
    QList<TopLevel> shownBeneath(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours);
    void redirect();
    void release();
    void watchBeneath(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours);
    void settle(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours, const EventSink& others);
    // What each window beneath has not drawn since the redirection, in root
    // pixels.
    QHash<xcb_window_t, QRegion> undrawn() const;

    struct Watched {
        xcb_window_t window = 0;
        QPoint origin;
    };
    // What a window manager's frame shows: `visible`, within its outer
    // rectangle of `size`; empty when it is no frame with extents.
    struct Frame {
        QSize size;
        QRect visible;
    };

    Connection& connection_;
    bool composite_ = false;
    std::optional<uint8_t> damageEvent_;
    bool redirected_ = false;
    RepaintWait repaints_;
    CoveredPixels beneath_;
    LeftPlaces left_{connection_};
    // Whether a compositing manager painted the screen when the redirection
    // began: only then may pictures show our windows where they left.
    bool managerPaints_ = false;
    // The top level of each of our clients, by client.
    QHash<xcb_window_t, xcb_window_t> topLevels_;
    // Where other windows lay at the last picture, in root pixels.
    QRegion windowsBefore_;
    // DAMAGE records on the windows beneath ours, by record.
    QHash<uint32_t, Watched> watched_;
    // The windows beneath ours at the last picture, by top level.
    QHash<xcb_window_t, Frame> frames_;
};

}  // namespace tavero::x11
