#pragma once

#include "platform/desktop/ScreenContent.h"
#include "platform/desktop/X11Connection.h"

namespace tavero::x11 {

// The monitors RandR reports (RandR 1.5 monitors, which include the ones set
// up with `xrandr --setmonitor`), or the whole root window when the server
// has no RandR. Scales are 1: only Qt knows its own scale factors.
QList<DisplayInfo> listDisplays(Connection& connection);

// The root window's extent now: RandR may have resized it since the
// connection was opened, whose setup still tells the old size.
QRect rootArea(Connection& connection);

}  // namespace tavero::x11
