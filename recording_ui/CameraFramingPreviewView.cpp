#include "recording_ui/CameraFramingPreviewView.h"

#include "camera/WebcamFeed.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

constexpr int redrawInterval = 100;
constexpr double cornerRadius = 10;
const QColor background = QColor::fromRgbF(0.1f, 0.1f, 0.1f);

// `size` scaled to fit `bounds` without cropping, centred on it.
QRectF fitted(const QSizeF& size, const QRectF& bounds) {
    const double scale = std::min(bounds.width() / size.width(), bounds.height() / size.height());
    QRectF rect(QPointF(), size * scale);
    rect.moveCenter(bounds.center());
    return rect;
}

}  // namespace

CameraFramingPreviewView::CameraFramingPreviewView(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(redrawInterval);
    connect(&timer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    refreshCursor();
}

void CameraFramingPreviewView::setFraming(const CameraFraming& framing) {
    framing_ = framing;
    update();
}

void CameraFramingPreviewView::setMirrored(bool mirrored) {
    mirrored_ = mirrored;
    update();
}

void CameraFramingPreviewView::setShowsSource(bool source) {
    showsSource_ = source;
    refreshCursor();
    update();
}

void CameraFramingPreviewView::setDrawsSelection(bool draws) {
    drawsSelection_ = draws;
    refreshCursor();
}

void CameraFramingPreviewView::refreshCursor() {
    if (!showsSource_)
        unsetCursor();
    else
        setCursor(drawsSelection_ ? Qt::CrossCursor : Qt::OpenHandCursor);
}

// The timer lives with the view's visibility, so a hidden preview costs nothing.
void CameraFramingPreviewView::showEvent(QShowEvent*) { timer_.start(); }

void CameraFramingPreviewView::hideEvent(QHideEvent*) { timer_.stop(); }

void CameraFramingPreviewView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(outline);
    painter.fillRect(rect(), background);
    if (!feed_) return;
    const QImage latest = feed_->latest();
    if (latest.isNull()) return;
    sourceSize_ = QSizeF(latest.size());
    const QImage picture = CameraFraming::oriented(latest, mirrored_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (showsSource_) {
        imageRect_ = fitted(sourceSize_, QRectF(rect()));
        painter.drawImage(imageRect_, picture);
        drawCropFrame(painter);
        return;
    }
    // What render() writes, drawn straight at the view's size: the crop has
    // the output's shape, so scaling it into the fitted output rectangle is
    // the same picture without making a frame of the full output size ten
    // times a second.
    const QRectF c = framing_.cropRect(sourceSize_);
    const QRectF crop(c.left() * sourceSize_.width(), c.top() * sourceSize_.height(), c.width() * sourceSize_.width(),
                      c.height() * sourceSize_.height());
    imageRect_ = fitted(QSizeF(framing_.outputSize()), QRectF(rect()));
    painter.drawImage(imageRect_, picture, crop);
}

void CameraFramingPreviewView::drawCropFrame(QPainter& painter) const {
    const QRectF c = framing_.cropRect(sourceSize_);
    const QRectF frame(imageRect_.left() + c.left() * imageRect_.width(), imageRect_.top() + c.top() * imageRect_.height(),
                       c.width() * imageRect_.width(), c.height() * imageRect_.height());
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(imageRect_);
    outside.addRect(frame);
    painter.fillPath(outside, QColor::fromRgbF(0, 0, 0, 0.55f));

    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.35f), 0.5));
    for (const double third : {1.0 / 3, 2.0 / 3}) {
        const double x = frame.left() + frame.width() * third;
        const double y = frame.top() + frame.height() * third;
        painter.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
        painter.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(frame.adjusted(1, 1, -1, -1));
}

// The top-left-origin unit point of the picture under `position`, held
// inside the picture.
QPointF CameraFramingPreviewView::unitPoint(const QPointF& position) const {
    const double width = std::max(imageRect_.width(), 1.0);
    const double height = std::max(imageRect_.height(), 1.0);
    return {std::clamp((position.x() - imageRect_.left()) / width, 0.0, 1.0),
            std::clamp((position.y() - imageRect_.top()) / height, 0.0, 1.0)};
}

void CameraFramingPreviewView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!showsSource_) {
        if (!moveWindow_) return;
        windowGrip_ = event->globalPosition();
        windowOrigin_ = window()->pos();
        return;
    }
    if (!imageRect_.contains(event->position())) return;
    const QPointF unit = unitPoint(event->position());
    if (!drawsSelection_ && !framing_.cropRect(sourceSize_).contains(unit)) return;
    down_ = unit;
    initial_ = framing_;
}

void CameraFramingPreviewView::mouseMoveEvent(QMouseEvent* event) {
    if (windowGrip_) {
        window()->move(windowOrigin_ + (event->globalPosition() - *windowGrip_).toPoint());
        return;
    }
    if (down_) dragTo(unitPoint(event->position()));
}

// Every step starts again from the framing the drag began with, so the
// result depends only on where the drag began and where it is now.
void CameraFramingPreviewView::dragTo(const QPointF& p) {
    CameraFraming next = initial_;
    if (drawsSelection_) {
        const QRectF drawn(std::min(down_->x(), p.x()), std::min(down_->y(), p.y()), std::abs(p.x() - down_->x()),
                           std::abs(p.y() - down_->y()));
        next.select(drawn, sourceSize_);
    } else {
        const QRectF c = initial_.cropRect(sourceSize_);
        next.centerX = std::max(std::min(c.center().x() + (p.x() - down_->x()), 1 - c.width() / 2), c.width() / 2);
        next.centerY = std::max(std::min(c.center().y() + (p.y() - down_->y()), 1 - c.height() / 2), c.height() / 2);
    }
    setFraming(next);
    if (changed_) changed_(next);
}

void CameraFramingPreviewView::mouseReleaseEvent(QMouseEvent*) {
    windowGrip_.reset();
    const bool selecting = down_ && drawsSelection_;
    down_.reset();
    if (selecting && selectionFinished_) selectionFinished_();
}

}  // namespace tavero
