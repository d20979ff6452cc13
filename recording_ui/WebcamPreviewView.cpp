#include "recording_ui/WebcamPreviewView.h"

#include "camera/WebcamFeed.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

// The camera's own rate: every picture it delivers can be shown.
constexpr int redrawInterval = 33;
constexpr double squareCornerRadius = 14;
// A press that moves this far or less is a click.
constexpr double clickSlop = 4;
const QColor background = QColor::fromRgbF(0.1f, 0.1f, 0.1f);

// `size` scaled to cover `bounds`, centred on it.
QRectF filling(const QSizeF& size, const QRectF& bounds) {
    const double scale = std::max(bounds.width() / size.width(), bounds.height() / size.height());
    QRectF rect(QPointF(), size * scale);
    rect.moveCenter(bounds.center());
    return rect;
}

}  // namespace

WebcamPreviewView::WebcamPreviewView(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(redrawInterval);
    connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    setAccessibleName(QStringLiteral("人像预览，点击切换全屏口播"));
}

void WebcamPreviewView::setPortrait(const PortraitLayout& layout) {
    portrait_ = layout;
    update();
}

double WebcamPreviewView::cornerRadius() const {
    if (!portrait_.fullScreen && portrait_.shape == PortraitShape::circle) return std::min(width(), height()) / 2.0;
    return squareCornerRadius;
}

void WebcamPreviewView::showEvent(QShowEvent*) { timer_.start(); }

void WebcamPreviewView::hideEvent(QHideEvent*) { timer_.stop(); }

void WebcamPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius(), cornerRadius());
    painter.setClipPath(outline);
    painter.fillRect(rect(), background);
    const QImage latest = feed_ ? feed_->latest() : QImage();
    if (latest.isNull()) return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Mirrored through the painter: no copy of the picture at the camera's rate.
    if (portrait_.mirrored) {
        painter.translate(width(), 0);
        painter.scale(-1, 1);
    }
    painter.drawImage(filling(QSizeF(latest.size()), QRectF(rect())), latest);
}

void WebcamPreviewView::mousePressEvent(QMouseEvent* event) {
    down_ = event->globalPosition();
    origin_ = window()->pos();
    dragged_ = false;
}

void WebcamPreviewView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF travel = event->globalPosition() - down_;
    if (std::hypot(travel.x(), travel.y()) > clickSlop) dragged_ = true;
    if (dragged_ && moveWindow_) window()->move(origin_ + travel.toPoint());
}

void WebcamPreviewView::mouseReleaseEvent(QMouseEvent*) {
    if (dragged_) {
        if (moveWindow_ && moved_) moved_(QRectF(window()->frameGeometry()).center());
        return;
    }
    if (clicked_) clicked_();
}

}  // namespace tavero
