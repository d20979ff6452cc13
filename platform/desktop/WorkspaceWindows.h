#pragma once

class QWindow;

namespace tavero {

// Asks the window manager to show `window` on every workspace, as floating
// panels that follow the user are: the desktop "all" and the sticky state,
// since window managers read one or the other. Call it once the window
// exists natively and before it is first shown: Qt keeps the hints it finds
// when it maps the window. Nothing on other platforms (the offscreen one of
// the tests). Main thread.
void showOnEveryWorkspace(QWindow& window);

// Asks compositing managers to draw no shadow around any window of ours
// that floats above the others: tool windows (the recording panels and
// border, the scrolling capture's frame and bar, pins), tooltips, menus and
// windows that stay on top (the selection overlay). They stay on the screen
// while it is read, and a shadow falls outside their shapes, where the
// pictures keep what the screen shows: the shadow of a ring-shaped window
// (the border, the scrolling capture's frame) darkens all it encloses.
// `_COMPTON_SHADOW` 0, which picom and its forebears read on a top-level
// window, is set on each such window as it is shown, before it is mapped,
// and on each frame a window manager puts it in. Call once the application
// exists; nothing on other platforms (the offscreen one of the tests). Main
// thread.
void castNoShadowFromFloatingWindows();

}  // namespace tavero
