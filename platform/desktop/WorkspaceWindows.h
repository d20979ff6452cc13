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

// Asks compositing managers to draw no shadow around `window`
// (`_COMPTON_SHADOW` 0, which picom and its forebears read on a top-level
// window): a shadow lies outside the window's shape, where a recording's
// pictures keep what the screen shows, and the shadow of a ring-shaped
// window darkens all it encloses. Managers read it on the top level, so the
// frames a window manager puts `window` in are marked too. As
// `showOnEveryWorkspace`, before the window is first shown; main thread.
void castNoShadow(QWindow& window);

}  // namespace tavero
