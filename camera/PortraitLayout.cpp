#include "camera/PortraitLayout.h"

#include <algorithm>
#include <cmath>

namespace tavero {

QString rawValue(PortraitShape shape) {
    switch (shape) {
    case PortraitShape::circle: return QStringLiteral("圆形");
    case PortraitShape::square: return QStringLiteral("方形");
    case PortraitShape::rectangle: return QStringLiteral("长方形");
    }
    return {};
}

std::optional<PortraitShape> portraitShapeFromRaw(const QString& raw) {
    for (const PortraitShape shape : allPortraitShapes)
        if (rawValue(shape) == raw) return shape;
    return std::nullopt;
}

double aspectOf(PortraitShape shape) { return shape == PortraitShape::rectangle ? 16.0 / 9.0 : 1.0; }

namespace {

// First against the far edge, then against 0: a portrait larger than the
// frame sits at 0. A centre that is not a number lands at 0 too.
double clampedStart(double start, double length, double extent) {
    start = std::min(start, extent - length);
    return start >= 0 ? start : 0;
}

}  // namespace

QRectF PortraitLayout::rect(const QSizeF& frame) const {
    const double W = frame.width();
    const double H = frame.height();
    const double a = aspectOf(shape);
    // A width that is not a number takes the largest portrait.
    const double fraction = !(width < 0.5) ? 0.5 : std::max(width, 0.12);
    const double w = std::min(fraction * W, 0.65 * H * a);
    const double h = w / a;
    const double left = clampedStart(x * W - w / 2, w, W);
    const double bottom = clampedStart((1 - y) * H - h / 2, h, H);
    if (!(w > 0) || !(h > 0)) return QRectF(0, 0, 0, 0);
    return {left, bottom, w, h};
}

}  // namespace tavero
