#pragma once

#include "camera/PortraitLayout.h"

#include <QImage>
#include <QRectF>

namespace tavero {

// Lays one camera picture into the portrait over one screen picture: the
// camera fills the portrait's rounded shape (aspect kept, centred, never
// stretched), mirrored when the layout says so, inside a 2-pixel white ring
// at 90 % opacity; everything else is the screen unchanged. Full screen
// shows the camera alone over the whole frame, with no ring. Pure: any
// thread.
namespace PortraitCompositor {

// Lays the camera over `picture` (a screen picture in Format_RGB32) where it
// is: a take's frames reuse their memory. A null camera picture leaves the
// screen as it is.
void paint(const QImage& camera, QImage& picture, const PortraitLayout& layout);

// The portrait's rectangle in image coordinates (top-left origin): the whole
// frame for full screen, else the layout's rectangle turned upside down.
QRectF target(const QSizeF& frame, const PortraitLayout& layout);

// The shape's corner radius for a portrait `width` wide: half of it for the
// circle, else 4.5 % of it and at most 20.
double cornerRadius(PortraitShape shape, double width);

}  // namespace PortraitCompositor
}  // namespace tavero
