#include "camera/PortraitCompositor.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tavero::PortraitCompositor {

namespace {

constexpr double ringWidth = 2;
constexpr double ringOpacity = 0.9;

// The camera picture scaled to cover `target` and centred on it.
QRectF coverRect(const QSizeF& camera, const QRectF& target) {
    const double scale = std::max(target.width() / camera.width(), target.height() / camera.height());
    QRectF placed(QPointF(0, 0), camera * scale);
    placed.moveCenter(target.center());
    return placed;
}

// Mirrored about the target's middle, which the covering picture shares: no
// mirrored copy of the camera picture is made.
void drawCamera(QPainter& painter, const QImage& camera, const QRectF& target, bool mirrored) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (mirrored) {
        const double middle = target.center().x();
        painter.translate(middle, 0);
        painter.scale(-1, 1);
        painter.translate(-middle, 0);
    }
    painter.drawImage(coverRect(camera.size(), target), camera);
    painter.resetTransform();
}

}  // namespace

QRectF target(const QSizeF& frame, const PortraitLayout& layout) {
    if (layout.fullScreen) return QRectF(QPointF(0, 0), frame);
    const QRectF upward = layout.rect(frame);
    return {upward.x(), frame.height() - upward.y() - upward.height(), upward.width(), upward.height()};
}

double cornerRadius(PortraitShape shape, double width) {
    return shape == PortraitShape::circle ? width * 0.5 : std::min(width * 0.045, 20.0);
}

void paint(const QImage& camera, QImage& picture, const PortraitLayout& layout) {
    if (camera.isNull()) return;
    const QRectF portrait = target(picture.size(), layout);
    if (portrait.isEmpty()) return;

    QPainter painter(&picture);
    if (layout.fullScreen) {
        painter.setClipRect(portrait);
        drawCamera(painter, camera, portrait, layout.mirrored);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = cornerRadius(layout.shape, portrait.width());
    // The ring lies under the camera; only its 2 pixels outside the shape show.
    QPainterPath ring;
    const QRectF ringRect = portrait.adjusted(-ringWidth, -ringWidth, ringWidth, ringWidth);
    ring.addRoundedRect(ringRect, radius + ringWidth, radius + ringWidth);
    painter.fillPath(ring, QColor(255, 255, 255, qRound(255 * ringOpacity)));

    QPainterPath shape;
    shape.addRoundedRect(portrait, radius, radius);
    painter.setClipPath(shape);
    drawCamera(painter, camera, portrait, layout.mirrored);
}

}  // namespace tavero::PortraitCompositor
