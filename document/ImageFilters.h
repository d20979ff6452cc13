#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>

// The two filters covers and frame shadows are made of. Pure functions, safe
// on any thread. Images are in the surface format (four channels) or Alpha8.
namespace tavero::ImageOps::filters {

// How many pixels beyond a pixel a blur of `sigma` reads.
int blurReach(double sigma);

// `region` of `image` blurred with a Gaussian of standard deviation `sigma`.
// Only the region grown by the blur's reach is read, and the image's edge
// pixels are repeated beyond its border, so edges do not darken.
QImage blurred(const QImage& image, const QRect& region, double sigma);

// `region` of `image` in square blocks of `blockSize` pixels on a grid through
// `gridOrigin`. Every block takes the pixel at its centre, clamped into the
// region, so the result depends only on pixels inside the region.
QImage pixellated(const QImage& image, const QRect& region, double blockSize, QPointF gridOrigin);

}  // namespace tavero::ImageOps::filters
