#pragma once

#include "platform/media/MediaHandles.h"

#include <QImage>
#include <QSize>

namespace tavero::media {

// A decoded picture in RGB32, of any pixel format FFmpeg decodes, converted
// with the matrix and range it is tagged with (BT.601 when it names none);
// transparency is dropped. Scaled to `size` when that is given and differs.
// A picture made smaller (a player's window, a GIF, a preview) is scaled
// before it is converted, averaging the pixels each of its pixels covers:
// the work is a fraction of converting it whole, and thin screen text stays
// legible. Any thread. Throws MediaError for a pixel format neither libyuv
// nor libswscale reads, or without memory.
QImage toRgb(const AVFrame& frame, QSize size = {});
// The same at the picture's own size, into `picture` (RGB32, of the frame's
// size): a camera's pictures reuse their memory.
void toRgbInto(const AVFrame& frame, QImage& picture);

// An RGB32 `picture` turned clockwise by `degrees` (0, 90, 180 or 270). Throws
// MediaError when there is no memory for it.
QImage turnedClockwise(const QImage& picture, int degrees);

}  // namespace tavero::media
