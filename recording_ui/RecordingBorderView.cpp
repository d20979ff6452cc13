#include "recording_ui/RecordingBorderView.h"

#include "recording_ui/RecordingColours.h"

#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

namespace tavero {

namespace {

constexpr double lineWidth = 2;
constexpr double cornerRadius = 8;
constexpr double lineOpacity = 0.88;
// Antialiasing reaches a little beyond the line's geometric edge.
constexpr double softEdge = 1;

QPainterPath linePath(const QSizeF& size) {
    QPainterPath path;
    path.addRoundedRect(QRectF(QPointF(), size).adjusted(RecordingBorderView::outset, RecordingBorderView::outset,
                                                         -RecordingBorderView::outset, -RecordingBorderView::outset),
                        cornerRadius, cornerRadius);
    return path;
}

QRegion roundedRegion(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace

RecordingBorderView::RecordingBorderView(QWidget* parent)
    : FloatingPanel(QStringLiteral("录屏范围"), Input::clickThrough, parent) {}

void RecordingBorderView::setPaused(bool paused) {
    paused_ = paused;
    update();
}

QColor RecordingBorderView::lineColor() const {
    QColor color = paused_ ? RecordingColours::yellow() : RecordingColours::red();
    color.setAlphaF(lineOpacity);
    return color;
}

// The band from half a line (and the soft edge) outside the path to as far
// inside it: the outer and the inner edge of the stroke.
QRegion RecordingBorderView::ring(const QSize& size) {
    const QRectF path = QRectF(QPointF(), QSizeF(size)).adjusted(outset, outset, -outset, -outset);
    const double reach = lineWidth / 2 + softEdge;
    const QRectF outer = path.adjusted(-reach, -reach, reach, reach);
    const QRectF inner = path.adjusted(reach, reach, -reach, -reach);
    if (inner.isEmpty()) return QRegion(QRect(QPoint(), size));
    return roundedRegion(outer, cornerRadius + reach).subtracted(roundedRegion(inner, std::max(0.0, cornerRadius - reach)));
}

void RecordingBorderView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.strokePath(linePath(QSizeF(size())), QPen(lineColor(), lineWidth));
}

void RecordingBorderView::resizeEvent(QResizeEvent* event) { setMask(ring(event->size())); }

}  // namespace tavero
