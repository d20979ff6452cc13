#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/Mark.h"
#include "document/PenStroke.h"
#include "platform/Fonts.h"
#include "platform/ShotError.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tavero::ImageOps {

namespace {

constexpr double arrowHeadSpread = 0.5;  // radians between the shaft and each stroke of the head
constexpr double shortestArrowHead = 15;
constexpr double arrowHeadPerWidth = 4;
constexpr double counterDiscPerFontSize = 1.4;
constexpr double smallestCounterDisc = 36;
constexpr double counterDigitsPerFontSize = 0.72;
constexpr double highlightStrength = 0.32;
constexpr double spotlightCornerRadius = 10;
constexpr double spotlightShade = 0.58;
const QColor redactColor(20, 20, 20);  // a near-black grey of 0.08 that covers whatever the ink

QPointF first(const Mark& mark) { return mark.points.first(); }
QPointF last(const Mark& mark) { return mark.points.last(); }

QFont markFont(const QPainter& painter, double size, FontWeight weight) {
    return Fonts::system(size, weight, painter.device()->logicalDpiY());
}

// Draws `text` with the top-left corner of its box at `origin`; line breaks start new lines.
void drawTextAt(QPainter& painter, const QPointF& origin, const QString& text) {
    const QSizeF size = QFontMetricsF(painter.font(), painter.device()).size(0, text);
    painter.drawText(QRectF(origin, size), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void drawArrow(const Mark& mark, QPainter& painter) {
    const QPointF tip = last(mark);
    painter.drawLine(first(mark), tip);
    const double angle = std::atan2(tip.y() - first(mark).y(), tip.x() - first(mark).x());
    const double length = std::max(mark.width * arrowHeadPerWidth, shortestArrowHead);
    const auto headEnd = [&](double spread) {
        return QPointF(tip.x() - length * std::cos(angle + spread), tip.y() - length * std::sin(angle + spread));
    };
    QPainterPath head(headEnd(-arrowHeadSpread));
    head.lineTo(tip);
    head.lineTo(headEnd(arrowHeadSpread));
    painter.drawPath(head);
}

void drawHighlight(const Mark& mark, QPainter& painter) {
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.setOpacity(painter.opacity() * highlightStrength);
    painter.fillRect(mark.rect(), mark.ink.color());
}

void drawText(const Mark& mark, QPainter& painter) {
    painter.setFont(markFont(painter, mark.fontSize, FontWeight::semibold));
    drawTextAt(painter, first(mark), mark.text);
}

void drawCounter(const Mark& mark, QPainter& painter) {
    const double diameter = std::max(mark.fontSize * counterDiscPerFontSize, smallestCounterDisc);
    const QPointF centre = first(mark);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, diameter / 2, diameter / 2);

    painter.setPen(Qt::white);
    painter.setFont(markFont(painter, mark.fontSize * counterDigitsPerFontSize, FontWeight::bold));
    const QSizeF size = QFontMetricsF(painter.font(), painter.device()).size(0, mark.text);
    drawTextAt(painter, centre - QPointF(size.width() / 2, size.height() / 2), mark.text);
}

// Darkens the whole image except a rounded rectangle around the mark.
void drawSpotlight(const Mark& mark, const QImage& base, QPainter& painter) {
    QPainterPath shade;
    shade.setFillRule(Qt::OddEvenFill);
    shade.addRect(QRectF(0, 0, base.width(), base.height()));
    shade.addRoundedRect(mark.rect(), spotlightCornerRadius, spotlightCornerRadius);
    painter.fillPath(shade, QColor::fromRgbF(0, 0, 0, float(spotlightShade)));
}

void drawMark(const Mark& mark, const QImage& base, QPainter& painter) {
    switch (mark.tool) {
    case MarkTool::move:
    case MarkTool::crop: return;
    case MarkTool::arrow: return drawArrow(mark, painter);
    case MarkTool::rectangle: return painter.drawRect(mark.rect());
    case MarkTool::ellipse: return painter.drawEllipse(mark.rect());
    case MarkTool::pen: return penStroke(mark.points, mark.width, mark.ink.color(), painter);
    case MarkTool::highlight: return drawHighlight(mark, painter);
    case MarkTool::text: return drawText(mark, painter);
    case MarkTool::counter: return drawCounter(mark, painter);
    case MarkTool::redact: return painter.fillRect(mark.rect(), redactColor);
    case MarkTool::pixelate: return obscure(mark, base, painter);
    case MarkTool::spotlight: return drawSpotlight(mark, base, painter);
    }
}

// Strokes in the ink with round ends; fills that want the ink use the brush.
void useInk(const Mark& mark, QPainter& painter) {
    const QColor ink = mark.ink.color();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, mark.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const bool filled = mark.tool == MarkTool::counter;
    painter.setBrush(filled ? QBrush(ink) : QBrush(Qt::NoBrush));
}

}  // namespace

void marks(const QList<Mark>& list, const QImage& base, QPainter& painter) {
    if (!painter.isActive()) return;
    for (const Mark& mark : list) {
        if (mark.points.isEmpty()) continue;
        painter.save();
        useInk(mark, painter);
        drawMark(mark, base, painter);
        painter.restore();
    }
}

QImage render(const QImage& image, const QList<Mark>& list) {
    QImage surface = context(image.width(), image.height());
    QPainter painter(&surface);
    if (!painter.isActive()) throw ShotError(messages::cannotRender());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    marks(list, image, painter);
    painter.end();
    return surface;
}

}  // namespace tavero::ImageOps
