#pragma once

#include "platform/desktop/ScreenContent.h"
#include "platform/desktop/X11Connection.h"

#include <QRegion>

#include <xcb/shape.h>

#include <vector>

namespace tavero::x11 {

// The viewable windows front to back: from the window manager's
// _NET_CLIENT_LIST_STACKING when there is one, else from the children of
// the root window (whose order is the stacking order). Desktop and hidden
// windows are left out.
QList<WindowInfo> listWindows(Connection& connection);

// Where a window listed by listWindows (by its id) lies now, measured as
// listWindows measures it; none when the window is gone.
std::optional<QRect> windowFrame(Connection& connection, xcb_window_t client);

// The process of the active window (_NET_ACTIVE_WINDOW, else the focus).
std::optional<qint64> activeProcess(Connection& connection);

// Activates the front-most window of `processID`: through the window
// manager (_NET_ACTIVE_WINDOW) when one runs, else by raising it and giving
// it the input focus ourselves. Nothing when the process shows no window.
void activateProcess(Connection& connection, qint64 processID);

// A child of the root window as the screen stacks it.
struct TopLevel {
    xcb_window_t id = 0;
    // In root pixels, its border included: the extent of its own pixmap.
    QRect outer;
    // Where its inside (the origin of its drawing) lies in root pixels.
    QPoint origin;
    uint8_t depth = 0;
    // What of `outer` it covers (see boundingShapes).
    QRegion shape;

    friend bool operator==(const TopLevel&, const TopLevel&) = default;
};

// The viewable input-output children of the root window, bottom to top,
// asked in two round trips.
QList<TopLevel> topLevelStack(Connection& connection);

// Each window's bounding shape in root pixels (SHAPE: a window cut to a
// ring covers only the ring), asked in one round trip; its outer rectangle
// where the server has no SHAPE or the window is gone.
QList<QRegion> boundingShapes(Connection& connection, const QList<TopLevel>& windows);
// The same in two steps, so that other questions share the round trip: the
// shapes of `windows` asked, then read with each window's place (`places`,
// in the order asked).
using ShapesAsked = std::vector<xcb_shape_get_rectangles_cookie_t>;
ShapesAsked askBoundingShapes(Connection& connection, const QList<xcb_window_t>& windows);
QList<QRegion> readBoundingShapes(Connection& connection, const ShapesAsked& asked, const QList<TopLevel>& places);

// The children of `window`, bottom to top; none when it is gone.
QList<xcb_window_t> childrenOf(Connection& connection, xcb_window_t window);

// The child of the root window that holds `window`: the window manager's
// frame, or the window itself when it is not reparented. None when `window`
// is gone.
std::optional<xcb_window_t> topLevelOf(Connection& connection, xcb_window_t window);

// What a window manager's frame `topLevel` shows, in root pixels: its
// client's place widened by the frame extents the manager publishes
// (_NET_FRAME_EXTENTS), as listWindows measures a window's frame. None when
// `topLevel` is no frame around a client with extents.
std::optional<QRect> visibleFrame(Connection& connection, xcb_window_t topLevel);

}  // namespace tavero::x11
