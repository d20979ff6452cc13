#pragma once

#include <QtGlobal>

namespace tavero {

// Asks the window manager to show the native window on every workspace (the
// sticky state). Call it after the window exists and before it is first
// shown: Qt merges the states it sets on mapping with ours. Does nothing
// outside X11. Main thread.
void showOnAllWorkspaces(quintptr nativeWindow);

}  // namespace tavero
