#include "document/PenStroke.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <optional>

namespace tavero::ImageOps {

namespace {

// A stroke drawn on layers of its own, in the format pixels are drawn
// quickest in, is laid on through layers of at most this many device pixels
// a side, so a stroke over a large picture takes little memory; a layer the
// stroke does not reach is never made.
constexpr int layerSide = 512;
// How many times over an opaque stroke covers its layers before drawing it
// on them is quicker than drawing it where the painter paints.
constexpr double coveringWorthLayers = 4;
// Device pixels beyond a layer that antialiasing may still colour it from.
constexpr double antialiasingReach = 2;
// Device pixels a line may stray from its points where that saves drawing
// pieces: far less than antialiasing shows.
constexpr double straying = 0.05;

// The device pixels the painter reaches: the device, within the clip. For a
// picture with a pixel ratio it may be more.
QRectF reachedPixels(const QPainter& painter) {
    const QPaintDevice& device = *painter.device();
    const double scale = device.devicePixelRatio();
    QRectF pixels(0, 0, device.width() * scale, device.height() * scale);
    if (painter.hasClipping()) pixels &= painter.deviceTransform().mapRect(painter.clipBoundingRect());
    return pixels;
}

QRectF bounds(const QList<QPointF>& points) {
    const auto [left, right] =
        std::minmax_element(points.begin(), points.end(), [](QPointF a, QPointF b) { return a.x() < b.x(); });
    const auto [top, bottom] =
        std::minmax_element(points.begin(), points.end(), [](QPointF a, QPointF b) { return a.y() < b.y(); });
    return QRectF(QPointF(left->x(), top->y()), QPointF(right->x(), bottom->y()));
}

QRectF grown(const QRectF& rect, double by) { return rect.adjusted(-by, -by, by, by); }

// The part of `line` inside `area`; none when they do not meet.
std::optional<QLineF> clipped(const QLineF& line, const QRectF& area) {
    double from = 0;
    double to = 1;
    // Narrows [from, to] to where the line is on the inner side of one edge:
    // `leaving` is how fast it heads out across the edge, `room` how far
    // inside the edge it starts.
    const auto inside = [&](double leaving, double room) {
        if (leaving == 0) return room >= 0;
        if (leaving > 0)
            to = std::min(to, room / leaving);
        else
            from = std::max(from, room / leaving);
        return from <= to;
    };
    if (!inside(-line.dx(), line.x1() - area.left()) || !inside(line.dx(), area.right() - line.x1()) ||
        !inside(-line.dy(), line.y1() - area.top()) || !inside(line.dy(), area.bottom() - line.y1()))
        return std::nullopt;
    return QLineF(line.pointAt(from), line.pointAt(to));
}

// A run of points that one straight piece stands for: none strays further
// from it sideways than the tolerance, none turns back beyond it.
class StraightRun {
public:
    StraightRun(QPointF from, double tolerance) : from_(from), tolerance_(tolerance) {}

    // Whether the run goes on through `point`.
    bool takes(QPointF point) {
        const QPointF offset = point - from_;
        if (!straight_) {
            const double length = std::hypot(offset.x(), offset.y());
            if (length > tolerance_) {
                along_ = offset / length;
                reach_ = length;
                straight_ = true;
            }
            if (point != from_) end_ = point;
            return true;
        }
        const double ahead = QPointF::dotProduct(offset, along_);
        const double aside = std::abs(offset.x() * along_.y() - offset.y() * along_.x());
        if (aside > tolerance_ || ahead < reach_ - tolerance_) return false;
        if (ahead > reach_) {
            end_ = point;
            reach_ = ahead;
        }
        return true;
    }
    // Where its piece ends; none while every point is where the run began.
    std::optional<QPointF> end() const { return end_; }

private:
    QPointF from_;
    double tolerance_;
    bool straight_ = false;  // a point lies beyond the tolerance, giving the run its direction
    QPointF along_;          // that direction, a unit vector
    double reach_ = 0;
    std::optional<QPointF> end_;
};

// The corners of a line within `tolerance` of the one through `points`,
// without repeated points; a single point when all of them coincide.
QList<QPointF> corners(const QList<QPointF>& points, double tolerance) {
    QList<QPointF> kept{points.first()};
    StraightRun run(kept.last(), tolerance);
    for (const QPointF& point : points.sliced(1)) {
        if (run.takes(point)) continue;
        kept.append(*run.end());
        run = StraightRun(kept.last(), tolerance);
        run.takes(point);
    }
    if (const std::optional<QPointF> end = run.end()) kept.append(*end);
    return kept;
}

// A stroke as the pieces that draw it: straight pieces with flat ends and a
// disc at each end of each, which together are its round ends and joins.
struct Pieces {
    QList<QLineF> lines;
    QList<QPointF> discs;
};

// The pieces of the line through `corners` that could colour `area`, cut
// to it.
Pieces piecesWithin(const QList<QPointF>& corners, const QRectF& area) {
    Pieces pieces;
    for (qsizetype index = 1; index < corners.size(); ++index) {
        const QLineF line(corners[index - 1], corners[index]);
        if (const std::optional<QLineF> shown = clipped(line, area)) pieces.lines.append(*shown);
        for (const QPointF& end : {line.p1(), line.p2()})
            if ((pieces.discs.isEmpty() || pieces.discs.last() != end) && area.contains(end)) pieces.discs.append(end);
    }
    return pieces;
}

// In an opaque ink, the pixels of the stroke's whole outline, within
// antialiasing.
void draw(const Pieces& pieces, double width, const QColor& ink, QPainter& painter) {
    painter.setPen(QPen(ink, width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(pieces.lines);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    for (const QPointF& centre : pieces.discs) painter.drawEllipse(centre, width / 2, width / 2);
}

// The painter's coordinates from which a line `width` wide could colour
// `pixels`, device pixels of the painter mapped by `fromDevice`.
QRectF reach(const QRectF& pixels, const QTransform& fromDevice, double width) {
    return grown(fromDevice.mapRect(grown(pixels, antialiasingReach)), width / 2);
}

// The device pixels the pieces of a line `width` device pixels wide cover,
// about.
double coverage(const Pieces& pieces, const QTransform& toDevice, double width) {
    double length = 0;
    for (const QLineF& line : pieces.lines) length += toDevice.map(line).length();
    return length * width;
}

// Drawn opaque on layers of its own within `pixels` and laid on at the ink's
// alpha, so the pieces do not darken one another where they overlap.
void strokeOnLayers(const QList<QPointF>& corners, double width, const QColor& ink, const QRect& pixels,
                    QPainter& painter) {
    const QTransform toDevice = painter.deviceTransform();
    const QTransform fromDevice = toDevice.inverted();
    QColor opaque = ink;
    opaque.setAlpha(255);
    const double scale = painter.device()->devicePixelRatio();
    painter.save();
    painter.resetTransform();
    painter.setOpacity(painter.opacity() * ink.alphaF());
    for (int top = pixels.top(); top <= pixels.bottom(); top += layerSide) {
        for (int left = pixels.left(); left <= pixels.right(); left += layerSide) {
            const QRect part = QRect(left, top, layerSide, layerSide) & pixels;
            const Pieces pieces = piecesWithin(corners, reach(part, fromDevice, width));
            if (pieces.lines.isEmpty()) continue;
            QImage layer(part.size(), QImage::Format_ARGB32_Premultiplied);
            layer.fill(Qt::transparent);
            QPainter onLayer(&layer);
            onLayer.setRenderHint(QPainter::Antialiasing);
            onLayer.setTransform(toDevice * QTransform::fromTranslate(-part.left(), -part.top()));
            draw(pieces, width, opaque, onLayer);
            onLayer.end();
            layer.setDevicePixelRatio(scale);
            painter.drawImage(QPointF(part.topLeft()) / scale, layer);
        }
    }
    painter.restore();
}

}  // namespace

void penStroke(const QList<QPointF>& points, double width, const QColor& ink, QPainter& painter) {
    if (points.size() < 2) return;
    if (width <= 0) {
        painter.setPen(QPen(ink, 0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        return painter.drawPolyline(points.constData(), int(points.size()));
    }
    const QTransform toDevice = painter.deviceTransform();
    if (!toDevice.isInvertible()) return;
    const double stretch =
        std::max(std::hypot(toDevice.m11(), toDevice.m12()), std::hypot(toDevice.m21(), toDevice.m22()));
    const QList<QPointF> kept = corners(points, straying / stretch);
    if (kept.size() < 2) return;
    const QRectF reached = reachedPixels(painter);
    const QRect pixels = (reached & toDevice.mapRect(grown(bounds(kept), width / 2))).toAlignedRect();
    if (ink.alpha() < 255 || painter.opacity() < 1) return strokeOnLayers(kept, width, ink, pixels, painter);
    // Pixels are drawn quickest in the layers' format; laying the layers on
    // is worth it once the stroke covers them several times over.
    const Pieces pieces = piecesWithin(kept, reach(reached, toDevice.inverted(), width));
    if (coverage(pieces, toDevice, width * stretch) > coveringWorthLayers * pixels.width() * pixels.height())
        return strokeOnLayers(kept, width, ink, pixels, painter);
    draw(pieces, width, ink, painter);
}

}  // namespace tavero::ImageOps
