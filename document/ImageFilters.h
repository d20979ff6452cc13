#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

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

// `image` reduced to `size` by averaging the pixels each target pixel covers,
// so fine detail such as text does not shimmer from one frame to the next.
// Any size smaller than the image; four-channel images only.
QImage reduced(const QImage& image, const QSize& size);

// Paints `source` into the pixels of `target` inside `clip`, stretched so
// that `from` (source pixels) lands exactly on `to` (target pixels), with
// bilinear sampling at fractional positions and the source's edge pixels
// repeated beyond its border. Both images have four channels.
void drawScaled(const QImage& source, const QRectF& from, QImage& target, const QRectF& to, const QRect& clip);

}  // namespace tavero::ImageOps::filters
