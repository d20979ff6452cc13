#include "document/ImageOps.h"
#include "document/ImageMessages.h"
#include "document/Surfaces.h"
#include "platform/ShotError.h"

#include <cmath>

namespace tavero::ImageOps {

namespace {
// 96 dpi, so fonts sized in pixels come out at that many pixels.
constexpr int dotsPerMeterAt96Dpi = 3780;
}  // namespace

QSize capturePixelSize(QSizeF points, double scale) {
    const double usable = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    const auto side = [usable](double length) { return std::max(int(std::round(length * usable)), 2); };
    return {side(points.width()), side(points.height())};
}

bool withinLimits(qint64 width, qint64 height) {
    return width >= 1 && width <= maxSide && height >= 1 && height <= maxSide && width * height <= maxPixels;
}

QImage context(int width, int height) {
    if (!withinLimits(width, height)) throw ShotError(messages::tooLarge());
    QImage surface(width, height, surfaceFormat);
    if (surface.isNull()) throw ShotError(messages::tooLarge());
    surface.fill(Qt::transparent);
    surface.setDotsPerMeterX(dotsPerMeterAt96Dpi);
    surface.setDotsPerMeterY(dotsPerMeterAt96Dpi);
    return surface;
}

QImage surfaceOf(qint64 width, qint64 height) {
    if (width > maxSide || height > maxSide) throw ShotError(messages::tooLarge());
    return context(int(width), int(height));
}

void image(const QImage& picture, const QRectF& rect, QPainter& painter) { painter.drawImage(rect, picture); }

}  // namespace tavero::ImageOps
