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

}  // namespace tavero
