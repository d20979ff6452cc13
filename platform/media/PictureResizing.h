#pragma once

#include <QImage>

namespace tavero::media {

// `from` (RGB32) resized into `to` (RGB32, of the size wanted) by bilinear
// interpolation, with the samples where libyuv's ARGBScale places them (made
// larger, the first and last pixels on the first and last), each value
// rounded to the nearest: a flat colour keeps its levels. libyuv's own filter
// along a row weighs its two pixels by 127/128 in all and rounds down, which
// took two levels off every enlarged picture (255 showed 253). Any thread.
// Throws MediaError.
void resizeBilinear(const QImage& from, QImage& to);

}  // namespace tavero::media
