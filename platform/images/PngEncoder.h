#pragma once

#include <QByteArray>
#include <QImage>

namespace tavero::png {

// Whether no pixel of `image` is transparent: true at once for a format
// without alpha, otherwise after looking at every pixel.
bool isOpaque(const QImage& image);

// PNG data of `image`: 8-bit RGB when it is opaque (a screen has no alpha to
// store), 8-bit straight RGBA otherwise, with its resolution and colour
// profile. Large pictures are filtered and compressed in horizontal bands on
// up to `threads` threads (0: one per core), joined into one stream. Empty on
// failure. Any thread.
QByteArray encode(const QImage& image, int threads = 0);

}  // namespace tavero::png
