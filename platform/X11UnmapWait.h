#pragma once

#include "platform/X11Connection.h"

#include <QList>

#include <chrono>

namespace tavero::x11 {

// Blocks until every one of `windows` has left the screen, or `limit` has
// passed: its top-level window (the window manager's frame, where there is
// one) unmapped or destroyed, and the server has answered one request after
// that. Reads events on `connection`, which nobody else may read meanwhile;
// leaves no event selection behind.
void waitUntilUnmapped(Connection& connection, const QList<xcb_window_t>& windows, std::chrono::milliseconds limit);

}  // namespace tavero::x11
