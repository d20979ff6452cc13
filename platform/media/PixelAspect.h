#pragma once

#include "platform/media/MediaHandles.h"

#include <QSize>

namespace tavero::media {

// DV, DVDs and PAL or NTSC cameras code a 4:3 or 16:9 picture in 720 × 576
// or 720 × 480 pixels that are not square, and the stream says how wide
// each of its pixels shows (its sample aspect ratio). Any thread.

// The width of a pixel of `stream` against its height, as its container
// says, else its coding (as FFmpeg's own tools read it); 0:1 when neither
// says.
AVRational pixelAspect(AVFormatContext* context, AVStream* stream);

// The size the pictures of `stream` show at, upright (DisplayMatrix.h): one
// side of the coded size made longer by the pixel aspect, as players show
// it, to an even number; scaled down to largestPictureSide and
// largestPictureArea when it would be larger. Pixels said to be more than
// four times as wide as high or the other way round, which no camera or
// disc makes and which would draw the picture out into a line, are taken
// as square.
QSize shownSize(AVFormatContext* context, AVStream* stream);

}  // namespace tavero::media
