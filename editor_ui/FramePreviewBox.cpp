#include "editor_ui/FramePreviewBox.h"

#include "editor_ui/BusySpinner.h"

#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr double cornerRadius = 12;
constexpr int pictureInset = 20;

}  // namespace

FramePreviewBox::FramePreviewBox(QWidget* parent) : QWidget(parent) {
    setFixedSize(boxWidth, boxHeight);
    spinner_ = new BusySpinner(this);
}

void FramePreviewBox::setPicture(const QImage& picture) {
    picture_ = picture;
    spinner_->setVisible(picture_.isNull());
    update();
}

void FramePreviewBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    QRect place(QPoint(), spinner_->sizeHint());
    place.moveCenter(rect().center());
    spinner_->setGeometry(place);
}

void FramePreviewBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(box);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (picture_.isNull()) return;
    const QRectF room = QRectF(rect()).adjusted(pictureInset, pictureInset, -pictureInset, -pictureInset);
    const QSizeF shown = QSizeF(picture_.size()).scaled(room.size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), shown);
    target.moveCenter(room.center());
    painter.drawImage(target, picture_);
}

}  // namespace tavero
