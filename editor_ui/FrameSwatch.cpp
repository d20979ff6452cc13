#include "editor_ui/FrameSwatch.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/FocusRing.h"
#include "editor_ui/style/SymbolIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr int ringPadding = 3;
// The narrowest a grid cell, and so a swatch's bar, may become.
constexpr int minimumBarWidth = 10;
constexpr double ringRadius = 10;
constexpr double ringWidth = 2;
constexpr int barHeight = 43;
constexpr double barRadius = 7;
constexpr int titleGap = 5;
constexpr double swatchTitlePoints = 11;
constexpr int checkSide = 14;
constexpr int checkInset = 5;
constexpr double checkShadeOpacity = 0.55;
constexpr int discSide = 15;
constexpr int solidGap = 5;
constexpr double solidPoints = 12;

}  // namespace

FramePresetButton::FramePresetButton(FramePreset preset, const QColor& tint, QWidget* parent)
    : ChoiceButton(parent), preset_(preset), tint_(tint) {
    setText(title(preset));
    setCursor(Qt::PointingHandCursor);
}

GradientSwatch::GradientSwatch(FramePreset preset, const QColor& tint, QWidget* parent)
    : FramePresetButton(preset, tint, parent) {
    setAccessibleName(title(preset) + QStringLiteral("渐变"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFont(EditorLook::font(this, swatchTitlePoints));
    setFixedHeight(sizeHint().height());
    // The mark lies around the swatch, outside the ring of the chosen preset, so both show.
    FocusRing::setControlRadius(*this, ringRadius);
}

QSize GradientSwatch::sizeHint() const {
    return {minimumBarWidth + 2 * ringPadding, 2 * ringPadding + barHeight + titleGap + fontMetrics().height()};
}

QSize GradientSwatch::minimumSizeHint() const { return sizeHint(); }

void GradientSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF content = QRectF(rect()).adjusted(ringPadding, ringPadding, -ringPadding, -ringPadding);
    const QRectF bar(content.topLeft(), QSizeF(content.width(), barHeight));
    QLinearGradient gradient(bar.topLeft(), bar.bottomRight());
    const QList<Ink> stops = colors(preset());
    for (qsizetype index = 0; index < stops.size(); ++index)
        gradient.setColorAt(double(index) / double(std::max<qsizetype>(stops.size() - 1, 1)), stops[index].color());
    QPainterPath barShape;
    barShape.addRoundedRect(bar, barRadius, barRadius);
    painter.fillPath(barShape, gradient);

    painter.setFont(EditorLook::font(this, swatchTitlePoints, isChosen() ? FontWeight::semibold : FontWeight::regular));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRectF(content.left(), bar.bottom() + titleGap, content.width(), fontMetrics().height()),
                     Qt::AlignHCenter | Qt::AlignTop, text());
    if (!isChosen()) return;

    // A white check on a dark disc, so the mark shows on every gradient: the
    // symbol's disc, its check cut out, in translucent black over white.
    const QRectF check(bar.right() - checkInset - checkSide, bar.bottom() - checkInset - checkSide, checkSide, checkSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(check.adjusted(2, 2, -2, -2));
    SymbolIcons::icon(QStringLiteral("checkmark.circle.fill"), QColor::fromRgbF(0, 0, 0, float(checkShadeOpacity)))
        .paint(&painter, check.toRect());
    QPainterPath ring;
    ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), ringRadius, ringRadius);
    painter.strokePath(ring, QPen(tint(), ringWidth));
}

SolidButton::SolidButton(FramePreset preset, const QColor& tint, QWidget* parent) : FramePresetButton(preset, tint, parent) {
    setAccessibleName(title(preset) + QStringLiteral("纯色背景"));
    setFont(EditorLook::font(this, solidPoints));
    setFixedSize(sizeHint());
    FocusRing::setControlRadius(*this, height() / 2.0);
}

QSize SolidButton::sizeHint() const {
    return {discSide + solidGap + fontMetrics().horizontalAdvance(text()) + 2, std::max(discSide, fontMetrics().height())};
}

void SolidButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(0, (height() - discSide) / 2.0, discSide, discSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors(preset()).first().color());
    painter.drawEllipse(disc);
    painter.setPen(isChosen() ? tint() : EditorLook::secondaryText(this));
    painter.drawText(QRectF(disc.right() + solidGap, 0, width() - disc.right() - solidGap, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

}  // namespace tavero
