#pragma once

#include "platform/media/MediaHandles.h"

#include <QImage>

namespace tavero::media {

// libyuv's direct conversions into RGB32: the planar YUV pictures of 8 and
// 10 bits that video codings give (4:2:0, 4:2:2, 4:4:4), NV12 and the packed
// pictures of webcams, each converted with the matrix and range its frame is
// tagged with (BT.601 limited when it names none), where libyuv's table for
// that matrix is true. Any thread.

// The matrices YUV pictures are coded with, as their frames are tagged.
enum class YuvMatrix { bt601, bt709, bt2020, smpte240m, fcc };

// The matrix `frame` is tagged with: BT.601 (BT.470 BG, SMPTE 170M) also when
// it names none, or YCgCo, which libswscale does not know either (FFmpeg's
// own tools read it as BT.601 too).
YuvMatrix matrixOf(const AVFrame& frame);
// Whether pictures in `format` hold brightness and colour differences
// coded with a matrix (YUV, grey) rather than RGB, a palette or XYZ.
bool codedWithMatrix(AVPixelFormat format);
// Whether the frame's values span 0-255 rather than the limited 16-235.
bool fullRange(const AVFrame& frame);
// Whether libyuv converts the frame's pixel format with its matrix.
bool libyuvConverts(const AVFrame& frame);
// Converts `frame` into `picture` (RGB32, of the frame's size). Throws
// MediaError when libyuv does not convert it.
void convertWithLibyuv(const AVFrame& frame, QImage& picture);

}  // namespace tavero::media
