#pragma once

#include "platform/media/MediaHandles.h"

namespace tavero::media {

// libswscale's conversions between any two pixel formats it knows, scaling
// on the way: a picture made smaller averages the pixels each of its pixels
// covers (thin screen text stays legible), one made larger is interpolated.
// Large pictures are scaled in bands on a few threads. YUV turned into RGB
// takes the matrix and range its frame is tagged with (BT.601 when it names
// none); YUV scaled into YUV keeps its range and matrix. Each thread keeps
// the scaler it used last, since making one costs more than a picture: the
// pictures of one video at one size reuse it. Any thread.

// Whether libswscale reads pictures in `format`.
bool swscaleReads(AVPixelFormat format);
// `from` converted and scaled into `to`, a frame whose format, size and
// memory are set. Throws MediaError.
void scalePicture(const AVFrame& from, AVFrame& to);

}  // namespace tavero::media
