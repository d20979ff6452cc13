#include "editor_ui/style/StartActionStyle.h"

#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>

namespace tavero {

namespace {
constexpr double borderWidth = 1;
constexpr double secondaryBorderOpacity = 0.22;
}  // namespace

QFont StartActionStyle::font(int logicalDpi) { return Fonts::system(14, FontWeight::medium, logicalDpi); }

QColor StartActionStyle::foreground() const { return primary ? QColor(Qt::white) : TaveroStyle::ink(); }

double StartActionStyle::opacity(bool enabled, bool pressed) {
    if (!enabled) return 0.45;
    return pressed ? 0.76 : 1.0;
}

QSizeF StartActionStyle::size(const QString& text, const QSizeF& iconSize, int logicalDpi) const {
    double width = QFontMetricsF(font(logicalDpi)).horizontalAdvance(text);
    if (!iconSize.isEmpty()) width += iconSize.width() + (text.isEmpty() ? 0 : iconSpacing);
    return {width + 2 * horizontalPadding, height};
}

QPainterPath StartActionStyle::shape(const QRectF& bounds) const {
    QPainterPath path;
    path.addRoundedRect(bounds, cornerRadius, cornerRadius);
    return path;
}

void StartActionStyle::paint(QPainter& painter, const QRectF& bounds, const QString& text, const QIcon& icon,
                             const QSizeF& iconSize, bool enabled, bool pressed, int logicalDpi) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * opacity(enabled, pressed));
    painter.fillPath(shape(bounds), primary ? color : QColor(Qt::white));
    if (!primary) {
        // Stroked inside the edge: half a line in from the bounds.
        QColor border = TaveroStyle::green();
        border.setAlphaF(secondaryBorderOpacity);
        const double inset = borderWidth / 2;
        QPainterPath inner;
        inner.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                             cornerRadius - inset);
        painter.strokePath(inner, QPen(border, borderWidth));
    }

    const QFont labelFont = font(logicalDpi);
    const QSizeF label = size(text, icon.isNull() ? QSizeF() : iconSize, logicalDpi);
    double x = bounds.center().x() - (label.width() - 2 * horizontalPadding) / 2;
    if (!icon.isNull() && !iconSize.isEmpty()) {
        const QRectF iconRect(QPointF(x, bounds.center().y() - iconSize.height() / 2), iconSize);
        icon.paint(&painter, iconRect.toRect());
        x += iconSize.width() + (text.isEmpty() ? 0 : iconSpacing);
    }
    painter.setFont(labelFont);
    painter.setPen(foreground());
    painter.drawText(QRectF(x, bounds.top(), bounds.right() - x, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter.restore();
}

}  // namespace tavero
