#include "recording_ui/workspace/MoviePicture.h"

#include "platform/media/MoviePlayback.h"

#include <QPainter>

#include <cmath>

namespace tavero {

MoviePicture::MoviePicture(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(320, 180);
}

void MoviePicture::showPlayback(media::MoviePlayback* playback) {
    if (playback_) disconnect(playback_, nullptr, this, nullptr);
    playback_ = playback;
    if (playback_) {
        playback_->setPictureBounds(bounds());
        connect(playback_, &media::MoviePlayback::pictureChanged, this, qOverload<>(&QWidget::update));
    }
    update();
}

QImage MoviePicture::shown() const { return playback_ ? playback_->picture() : QImage(); }

QSize MoviePicture::bounds() const { return size() * devicePixelRatioF(); }

void MoviePicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (playback_) playback_->setPictureBounds(bounds());
}

// The picture comes made to the size it is painted at, pixel for pixel;
// until a newer one comes, one of another size is scaled.
void MoviePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage picture = shown();
    if (picture.isNull()) return;
    const QSizeF area = QSizeF(picture.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QPointF corner(std::round((width() - area.width()) / 2), std::round((height() - area.height()) / 2));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(corner, area), picture);
}

}  // namespace tavero
