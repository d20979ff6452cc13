#include "recording_ui/RecordingActionButton.h"

#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"
#include "platform/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace tavero {

namespace {

constexpr double symbolSpacing = 6;
constexpr double pressedShade = 0.18;
constexpr double borderWidth = 1;

QPainterPath roundedShape(const QRectF& bounds) {
    QPainterPath path;
    path.addRoundedRect(bounds, RecordingActionStyle::cornerRadius, RecordingActionStyle::cornerRadius);
    return path;
}

}  // namespace

QColor RecordingActionStyle::foreground(bool enabled) const {
    if (!enabled) return QColor::fromRgbF(0.70f, 0.75f, 0.82f);
    if (positive) return QColor::fromRgbF(0.06f, 0.19f, 0.16f);
    return Qt::white;
}

QColor RecordingActionStyle::background(bool enabled) const {
    if (!enabled) return QColor::fromRgbF(0.15f, 0.19f, 0.25f);
    if (positive) return QColor::fromRgbF(0.184f, 0.769f, 0.627f);
    if (prominent) return QColor::fromRgbF(0.80f, 0.15f, 0.22f);
    return QColor::fromRgbF(0.15f, 0.28f, 0.25f);
}

RecordingActionButton::RecordingActionButton(const QString& text, RecordingActionStyle style, QWidget* parent)
    : QAbstractButton(parent), style_(style) {
    // Where it takes the focus (全透明 in the set-up sheet), the mark lies
    // around it, which shows on its dark faces as on the light sheet.
    FocusRing::setControlRadius(*this, RecordingActionStyle::cornerRadius);
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void RecordingActionButton::setActionStyle(const RecordingActionStyle& style) {
    style_ = style;
    updateGeometry();
    update();
}

void RecordingActionButton::setSymbol(const QString& name) {
    symbol_ = name;
    updateGeometry();
    update();
}

QFont RecordingActionButton::labelFont() const {
    return Fonts::system(style_.fontSize(), FontWeight::semibold, logicalDpiY());
}

QSize RecordingActionButton::sizeHint() const {
    const QFontMetricsF metrics(labelFont());
    double width = metrics.horizontalAdvance(text()) + 2 * style_.horizontalPadding();
    if (!symbol_.isEmpty()) width += style_.fontSize() + symbolSpacing;
    const double height = std::max(style_.minimumHeight(), metrics.height());
    return {int(std::ceil(width)), int(std::ceil(height))};
}

void RecordingActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const bool enabled = isEnabled();
    const QPainterPath shape = roundedShape(bounds);
    painter.fillPath(shape, style_.background(enabled));
    if (enabled && isDown()) painter.fillPath(shape, QColor::fromRgbF(0, 0, 0, pressedShade));
    // The border lies inside the edge.
    const double inset = borderWidth / 2;
    painter.strokePath(roundedShape(bounds.adjusted(inset, inset, -inset, -inset)),
                       QPen(QColor::fromRgbF(1, 1, 1, enabled ? 0.24f : 0.12f), borderWidth));

    const QColor ink = style_.foreground(enabled);
    const QFont font = labelFont();
    const double textWidth = QFontMetricsF(font).horizontalAdvance(text());
    const double symbolSide = symbol_.isEmpty() ? 0 : style_.fontSize();
    const double contentWidth = textWidth + (symbol_.isEmpty() ? 0 : symbolSide + symbolSpacing);
    double x = bounds.center().x() - contentWidth / 2;
    if (!symbol_.isEmpty()) {
        const QRectF place(x, bounds.center().y() - symbolSide / 2, symbolSide, symbolSide);
        SymbolIcons::icon(symbol_, ink).paint(&painter, place.toRect());
        x += symbolSide + symbolSpacing;
    }
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRectF(x, bounds.top(), bounds.right() - x, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

bool RecordingActionButton::hitButton(const QPoint& position) const {
    return roundedShape(QRectF(rect())).contains(QPointF(position) + QPointF(0.5, 0.5));
}

}  // namespace tavero
