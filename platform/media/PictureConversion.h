#pragma once

#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>

namespace tavero::media {

// A decoded picture in RGB32, converted with the matrix and range it is
// tagged with (BT.601 when it names none). Scaled to `size` when that is
// given and differs, with a box filter: the pictures of a GIF or a preview
// are smaller than the video, and averaging keeps thin screen text legible.
// Throws MediaError for a pixel format it does not know.
QImage toRgb(const AVFrame& frame, QSize size = {});
// The same at the picture's own size, into `picture` (RGB32, of the frame's
// size): a camera's pictures reuse their memory.
void toRgbInto(const AVFrame& frame, QImage& picture);
// As toRgb, for pictures shown one after another (a player): a planar 4:2:0
// picture made smaller is scaled (box filter) before it is converted, which
// for a 1080p video shown in a window is a fraction of the work.
QImage toRgbForShowing(const AVFrame& frame, QSize size);

// An RGB32 `picture` turned clockwise by `degrees` (0, 90, 180 or 270). Throws
// MediaError when there is no memory for it.
QImage turnedClockwise(const QImage& picture, int degrees);

}  // namespace tavero::media
