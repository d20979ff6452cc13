#include "editor_ui/StartExample.h"

#include "editor_ui/EditorLook.h"
#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr QSizeF windowCardSize(238, 92);
constexpr double cardPadding = 12;
constexpr double cardRadius = 10;
constexpr double rowSpacing = 8;
constexpr double barHeight = 5;
constexpr QSizeF checkBadgeSize(30, 26);
constexpr double shadowRadius = 8;
constexpr double shadowDrop = 6;
constexpr QPointF arrowOffset(100, 30);
constexpr double arrowSide = 29;
constexpr double pointerSide = 23;
constexpr double badgeMargin = 9;

QColor faded(const QColor& colour, double opacity) { return EditorLook::faded(colour, opacity); }

double between(double from, double to, double progress) { return from + (to - from) * progress; }

// Out to the large framing and back in one period, easing in and out of
// each turn.
qreal swingProgress(qreal progress) {
    static const QEasingCurve easeInOut = [] {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return curve;
    }();
    return easeInOut.valueForProgress(progress < 0.5 ? 2 * progress : 2 - 2 * progress);
}

void fillRounded(QPainter& painter, const QRectF& rect, double radius, const QColor& colour) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, colour);
}

void paintSymbol(QPainter& painter, const QString& name, const QColor& colour, const QPointF& centre, double side) {
    QRectF place(0, 0, side, side);
    place.moveCenter(centre);
    SymbolIcons::icon(name, colour).paint(&painter, place.toAlignedRect());
}

}  // namespace

StartExample::StartExample(bool recording, QWidget* parent) : QWidget(parent), recording_(recording) {
    setAccessibleName(recording ? QStringLiteral("效果示意：画面跟随鼠标平滑放大")
                                : QStringLiteral("效果示意：带渐变背景、文字和箭头的截图"));
    swing_.setStartValue(0.0);
    swing_.setEndValue(1.0);
    swing_.setDuration(2 * swingMilliseconds);
    swing_.setLoopCount(-1);
    QEasingCurve swing;
    swing.setCustomType(swingProgress);
    swing_.setEasingCurve(swing);
    connect(&swing_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { showZoom(value.toDouble()); });
}

QRectF StartExample::cameraFrame(double zoom) {
    QRectF frame(0, 0, between(62, 120, zoom), between(28, 48, zoom));
    frame.moveCenter(QPointF(between(-15, 36, zoom), 18));
    return frame;
}

QPointF StartExample::pointerOffset(double zoom) { return {between(-12, 55, zoom), between(30, 6, zoom)}; }

void StartExample::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (recording_) swing_.start();
}

void StartExample::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    swing_.stop();
    showZoom(0);
}

void StartExample::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    still_ = QPixmap();
}

// Only the camera frame and the pointer move: the area they leave and the
// area they reach are repainted, over the cached still picture.
void StartExample::showZoom(double zoom) {
    const QRect before = movingArea(zoom_);
    zoom_ = zoom;
    update(before | movingArea(zoom_));
}

QRect StartExample::movingArea(double zoom) const {
    const QPointF centre = QRectF(rect()).center();
    QRectF pointer(0, 0, pointerSide, pointerSide);
    pointer.moveCenter(centre + pointerOffset(zoom));
    return (cameraFrame(zoom).translated(centre) | pointer).adjusted(-2, -2, 2, 2).toAlignedRect();
}

void StartExample::paintEvent(QPaintEvent*) {
    const qreal scale = devicePixelRatioF();
    if (still_.isNull() || still_.devicePixelRatio() != scale) still_ = paintStill(scale);
    QPainter painter(this);
    painter.drawPixmap(0, 0, still_);
    if (!recording_) return;
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(corners);
    paintCameraAndPointer(painter);
}

// Everything that does not move, clear outside the rounded corners.
QPixmap StartExample::paintStill(qreal scale) const {
    QPixmap still(size() * scale);
    still.setDevicePixelRatio(scale);
    still.fill(Qt::transparent);
    QPainter painter(&still);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath corners;
    corners.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(corners);
    paintBackground(painter);
    QRectF card(QPointF(), windowCardSize);
    card.moveCenter(QRectF(rect()).center());
    paintWindowCard(painter, card);
    if (recording_)
        paintBadge(painter);
    else
        paintSymbol(painter, QStringLiteral("arrow.up.left"), TaveroStyle::green(),
                    QRectF(rect()).center() + arrowOffset, arrowSide);
    return still;
}

void StartExample::paintBackground(QPainter& painter) const {
    QLinearGradient gradient(QPointF(0, 0), QPointF(width(), height()));
    gradient.setColorAt(0, recording_ ? QColor::fromRgbF(0.77f, 0.84f, 0.96f) : QColor::fromRgbF(0.7f, 0.87f, 0.8f));
    gradient.setColorAt(1, recording_ ? QColor::fromRgbF(0.89f, 0.88f, 0.97f) : QColor::fromRgbF(0.87f, 0.94f, 0.87f));
    painter.fillRect(rect(), gradient);
}

// A white window with a soft shadow: three dots and a bar for its title,
// a caption, two lines of content and a yellow badge.
void StartExample::paintWindowCard(QPainter& painter, const QRectF& card) const {
    for (int ring = int(shadowRadius); ring >= 1; --ring)
        fillRounded(painter, card.translated(0, shadowDrop).adjusted(-ring, -ring, ring, ring), cardRadius + ring,
                    faded(TaveroStyle::ink(), 0.1 / shadowRadius));
    fillRounded(painter, card, cardRadius, Qt::white);

    const QFont captionFont = EditorLook::font(this, 13);
    const double captionHeight = QFontMetricsF(captionFont).height();
    const QRectF inner = card.adjusted(cardPadding, 0, -cardPadding, 0);
    const double contentHeight = barHeight + rowSpacing + captionHeight + rowSpacing + checkBadgeSize.height();
    double y = card.center().y() - contentHeight / 2;

    for (int dot = 0; dot < 3; ++dot)
        fillRounded(painter, QRectF(inner.left() + dot * 8, y + 0.5, 4, 4), 2, faded(TaveroStyle::green(), 0.2));
    fillRounded(painter, QRectF(inner.right() - 65, y, 65, barHeight), 2, faded(TaveroStyle::green(), 0.08));
    y += barHeight + rowSpacing;

    painter.setFont(captionFont);
    painter.setPen(TaveroStyle::ink());
    painter.drawText(QRectF(inner.left(), y, inner.width(), captionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     recording_ ? QStringLiteral("让画面跟上你的讲解") : QStringLiteral("让重点一眼可见"));
    y += captionHeight + rowSpacing;

    const double rowCentre = y + checkBadgeSize.height() / 2;
    fillRounded(painter, QRectF(inner.left(), rowCentre - 7.5, 116, barHeight), 2, faded(TaveroStyle::green(), 0.14));
    fillRounded(painter, QRectF(inner.left(), rowCentre + 2.5, 85, barHeight), 2, faded(TaveroStyle::green(), 0.1));
    const QRectF badge(QPointF(inner.right() - checkBadgeSize.width(), y), checkBadgeSize);
    fillRounded(painter, badge, 6, faded(TaveroStyle::yellow(), 0.5));
    paintSymbol(painter, recording_ ? QStringLiteral("waveform") : QStringLiteral("checkmark"), TaveroStyle::green(),
                badge.center(), 16);
}

void StartExample::paintCameraAndPointer(QPainter& painter) const {
    const QPointF centre = QRectF(rect()).center();
    const QRectF frame = cameraFrame(zoom_).translated(centre);
    QPainterPath border;
    border.addRoundedRect(frame.adjusted(0.75, 0.75, -0.75, -0.75), 5.25, 5.25);
    painter.strokePath(border, QPen(faded(TaveroStyle::recordingAccent(), 0.7), 1.5));
    paintSymbol(painter, QStringLiteral("cursorarrow"), TaveroStyle::recordingAccent(), centre + pointerOffset(zoom_),
                pointerSide);
}

// "自动运镜示意" on a white capsule in the top right corner.
void StartExample::paintBadge(QPainter& painter) const {
    const QString text = QStringLiteral("自动运镜示意");
    const QFont font = EditorLook::font(this, 9, FontWeight::medium);
    const QFontMetricsF metrics(font);
    const QSizeF size(metrics.horizontalAdvance(text) + 18, metrics.height() + 10);
    const QRectF capsule(QPointF(width() - badgeMargin - size.width(), badgeMargin), size);
    fillRounded(painter, capsule, size.height() / 2, faded(Qt::white, 0.92));
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(capsule, Qt::AlignCenter, text);
}

}  // namespace tavero
