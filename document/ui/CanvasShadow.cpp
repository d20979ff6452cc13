#include "document/ui/CanvasShadow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace tavero {

namespace {

constexpr double shadowOpacity = 0.12;
constexpr double shadowDrop = 4;   // points down
constexpr double blurRadius = 18;  // points; a Gaussian of half that deviation

// The share of a Gaussian of deviation `sigma` that falls inside [from, to].
double coverage(double x, double from, double to, double sigma) {
    const auto normal = [&](double edge) { return 0.5 * std::erfc((edge - x) / (sigma * std::sqrt(2.0))); };
    return normal(from) - normal(to);
}

// Where the three slices along one side of the shadow begin and end; the
// corners shrink when the side is too short for both.
std::array<double, 4> targetCuts(double from, double to, double corner) {
    corner = std::min(corner, (to - from) / 2);
    return {from, from + corner, to - corner, to};
}

}  // namespace

void CanvasShadow::makeTile(double devicePixelRatio) {
    const double sigma = blurRadius / 2 * devicePixelRatio;
    reach_ = int(std::ceil(3 * sigma));
    // The shadow of a square of side 2 × reach, with room for the blur around it.
    const int side = 4 * reach_ + 1;
    std::vector<double> profile(side);
    for (int index = 0; index < side; ++index)
        profile[index] = coverage(index + 0.5, reach_, 3 * reach_ + 1, sigma);

    tile_ = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<QRgb*>(tile_.scanLine(y));
        for (int x = 0; x < side; ++x)
            row[x] = qRgba(0, 0, 0, qRound(255 * shadowOpacity * profile[x] * profile[y]));
    }
    tileScale_ = devicePixelRatio;
}

void CanvasShadow::paint(QPainter& painter, const QRectF& rect, double devicePixelRatio) {
    if (rect.isEmpty()) return;
    if (tileScale_ != devicePixelRatio) makeTile(devicePixelRatio);

    const double reach = reach_ / devicePixelRatio;
    const QRectF area = rect.translated(0, shadowDrop).adjusted(-reach, -reach, reach, reach);
    const std::array<double, 4> xs = targetCuts(area.left(), area.right(), 2 * reach);
    const std::array<double, 4> ys = targetCuts(area.top(), area.bottom(), 2 * reach);
    // In the tile: a corner, the centre column or row (stretched), a corner.
    const std::array<double, 4> cuts = {0, 2.0 * reach_, 2.0 * reach_ + 1, double(tile_.width())};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) {
            if (row == 1 && column == 1) continue;  // under the picture
            const QRectF target(QPointF(xs[column], ys[row]), QPointF(xs[column + 1], ys[row + 1]));
            const QRectF source(QPointF(cuts[column], cuts[row]), QPointF(cuts[column + 1], cuts[row + 1]));
            if (!target.isEmpty()) painter.drawImage(target, tile_, source);
        }
}

}  // namespace tavero
