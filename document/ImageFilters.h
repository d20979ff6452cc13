#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <memory>

// The two filters covers and frame shadows are made of. Pure functions, safe
// on any thread. Images are in the surface format (four channels) or Alpha8.
namespace tavero::ImageOps::filters {

// How many pixels beyond a pixel a blur of `sigma` reads.
int blurReach(double sigma);

// `region` of `image` blurred with a Gaussian of standard deviation `sigma`.
// Only the region grown by the blur's reach is read, and the image's edge
// pixels are repeated beyond its border, so edges do not darken.
QImage blurred(const QImage& image, const QRect& region, double sigma);

// The working memory of blurs repeated at one size (a recording's backdrop,
// blurred again for every picture), kept from one blur to the next so that
// none needs fresh memory. One thread at a time.
class BlurMemory {
public:
    BlurMemory();
    ~BlurMemory();
    BlurMemory(const BlurMemory&) = delete;
    BlurMemory& operator=(const BlurMemory&) = delete;

private:
    friend void blurInto(const QImage& image, const QRect& region, double sigma, QImage& output,
                         BlurMemory& memory);
    struct Buffers;
    std::unique_ptr<Buffers> buffers_;
};

// As blurred(), into `output` (made again only when its size or format
// differs) through `memory`'s buffers. A null output when nothing is read.
void blurInto(const QImage& image, const QRect& region, double sigma, QImage& output, BlurMemory& memory);

// `region` of `image` in square blocks of `blockSize` pixels on a grid through
// `gridOrigin`. Every block takes the pixel at its centre, clamped into the
// region, so the result depends only on pixels inside the region.
QImage pixellated(const QImage& image, const QRect& region, double blockSize, QPointF gridOrigin);

// `image` reduced into `output`, whose size (any smaller than the image) is
// the size reduced to, by averaging the pixels each target pixel covers, so
// fine detail such as text does not shimmer from one frame to the next.
// Four-channel images only.
void reduceInto(const QImage& image, QImage& output);

// Paints `source` into the pixels of `target` inside `clip`, stretched so
// that `from` (source pixels) lands exactly on `to` (target pixels), with
// bilinear sampling at fractional positions and the source's edge pixels
// repeated beyond its border. Both images have four channels.
void drawScaled(const QImage& source, const QRectF& from, QImage& target, const QRectF& to, const QRect& clip);

}  // namespace tavero::ImageOps::filters
