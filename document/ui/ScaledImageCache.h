#pragma once

#include <QImage>
#include <QSize>

namespace tavero {

// A smoothly reduced copy of one image at one pixel size, so a large picture
// shown fitted is reduced once per zoom step instead of on every repaint.
// The copy is in the raster engine's native format, which it blits fastest.
// Holds a single copy; asking for another image, size or backing scale
// replaces it. Used by one thread at a time.
class ScaledImageCache {
public:
    // `image` reduced to `size` device pixels, marked with `devicePixelRatio`.
    // The copy is made on the first call for this image (by its cache key),
    // size and scale, and reused afterwards.
    const QImage& scaled(const QImage& image, QSize size, double devicePixelRatio);

private:
    qint64 sourceKey_ = 0;
    QImage scaled_;
};

}  // namespace tavero
