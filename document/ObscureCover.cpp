#include "document/ImageFilters.h"
#include "document/ImageOps.h"
#include "document/Mark.h"
#include "document/ObscureCache.h"
#include "document/PixelViews.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <exception>

namespace tavero::ImageOps {

namespace {

constexpr double smallestAmount = 1;
constexpr double largestAmount = 96;
constexpr double strongestWash = 0.9;
constexpr double largestCornerRadius = 12;
constexpr double cornerRadiusPerSide = 0.12;
// Pixel blocks lie on a grid fixed to the image, through this point measured
// from the left and from the bottom edge, so blocks stay put as a cover moves.
constexpr double blockGridInset = 150;
// Covers up to this many pixels filter within a few milliseconds.
constexpr qint64 quickCoverPixels = 1'000'000;

// One cover as drawn: the style is none for marks stored before covers had
// settings, which are drawn as pixel blocks sized by their line width.
struct Cover {
    QRect region;
    ObscureKind kind = ObscureKind::pixel;
    double amount = 0;
    std::optional<ObscureStyle> style;
    double opacity = 0;
};

// The mark's rectangle rounded outward to whole pixels, within the image.
QRect coveredRegion(const Mark& mark, QSize baseSize) {
    const QRectF rect = mark.rect();
    const double left = std::max(std::floor(rect.left()), 0.0);
    const double top = std::max(std::floor(rect.top()), 0.0);
    const double right = std::min(std::ceil(rect.right()), double(baseSize.width()));
    const double bottom = std::min(std::ceil(rect.bottom()), double(baseSize.height()));
    if (!(right > left && bottom > top)) return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

std::optional<Cover> coverOf(const Mark& mark, QSize baseSize) {
    Cover cover;
    cover.region = coveredRegion(mark, baseSize);
    if (cover.region.isEmpty()) return std::nullopt;
    if (!mark.obscure) {
        cover.amount = std::clamp(std::max(mark.width * 4, 12.0), smallestAmount, largestAmount);
        return cover;
    }
    cover.style = mark.obscure->style;
    cover.kind = cover.style == ObscureStyle::pixel ? ObscureKind::pixel : ObscureKind::blur;
    cover.amount = std::clamp(mark.obscure->strength, smallestAmount, largestAmount);
    cover.opacity = mark.obscure->opacity;
    return cover;
}

QImage filter(const Cover& cover, const QImage& base) {
    const QImage source = pixels::inSurfaceFormat(base);
    if (cover.kind == ObscureKind::pixel)
        return filters::pixellated(source, cover.region, cover.amount,
                                   QPointF(blockGridInset, source.height() - blockGridInset));
    return filters::blurred(source, cover.region, cover.amount);
}

// The filtered region, from the cache when the same cover was made before.
ObscureKey keyOf(const Cover& cover, const QImage& base) {
    return {base.cacheKey(), cover.region, cover.kind, cover.amount};
}

QImage filteredCover(const Cover& cover, const QImage& base) {
    const ObscureKey key = keyOf(cover, base);
    ObscureCache& cache = ObscureCache::shared();
    if (auto cached = cache.find(key)) return *cached;
    try {
        QImage output = filter(cover, base);
        if (!output.isNull()) cache.insert(key, base, output);
        return output;
    } catch (const std::exception&) {
        return {};  // out of memory in a filter: this cover is left out
    }
}

void drawCover(const Cover& cover, const QImage& output, QPainter& painter) {
    const QRectF region(cover.region);
    painter.save();
    const bool blurred = cover.style && *cover.style != ObscureStyle::pixel;
    if (blurred) {
        const double radius = std::min(std::min(region.width(), region.height()) * cornerRadiusPerSide,
                                       largestCornerRadius);
        QPainterPath rounded;
        rounded.addRoundedRect(region, radius, radius);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(rounded, Qt::IntersectClip);
    }
    painter.drawImage(region, output);
    if (cover.style == ObscureStyle::frosted)
        painter.fillRect(region, QColor::fromRgbF(1, 1, 1, float(std::clamp(cover.opacity, 0.0, strongestWash))));
    painter.restore();
}

}  // namespace

void obscure(const Mark& mark, const QImage& base, QPainter& painter) {
    const auto cover = coverOf(mark, base.size());
    if (!cover) return;
    const QImage output = filteredCover(*cover, base);
    if (!output.isNull()) drawCover(*cover, output, painter);
}

bool obscureIsQuick(const Mark& mark, const QImage& base) {
    const auto cover = coverOf(mark, base.size());
    if (!cover || qint64(cover->region.width()) * cover->region.height() <= quickCoverPixels) return true;
    return ObscureCache::shared().find(keyOf(*cover, base)).has_value();
}

}  // namespace tavero::ImageOps
