#pragma once

#include "platform/desktop/X11Connection.h"

#include <QImage>
#include <QRegion>

#include <functional>

namespace tavero::x11 {

class ImageGrabber;

// Receives a part of the region read, in root pixels, and its pixels (valid
// during the call only; null when that read failed).
using RegionSink = std::function<void(const QRect& part, const QImage& pixels)>;

// What the root window's own background shows in `region` (root pixels),
// whatever lies over it there: the pattern or colour it was given (xsetroot,
// the server's default), which the server paints wherever no window lies.
// X has no request that reads a window's background, but a redirected window
// whose background is its parent's (ParentRelative) has it painted into its
// own pixmap when mapped. Such stand-ins, stacked beneath every other window,
// are made over the region for the read alone and destroyed: on the screen
// they show what the root showed there already. The caller's connection and
// grabber, on the caller's thread; the server needs Composite, and no
// compositing manager may run: it redirects every window by hand, which the
// server takes for see-through and paints no background into, and the
// stand-ins' pixmaps would hold the copy of the screen they were made with.
void readRootBackground(Connection& connection, ImageGrabber& grabber, const QRegion& region, const RegionSink& take);

}  // namespace tavero::x11
