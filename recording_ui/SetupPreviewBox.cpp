#include "recording_ui/SetupPreviewBox.h"

#include "editor_ui/BusySpinner.h"
#include "editor_ui/EditorLook.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {

constexpr double cornerRadius = 10;
constexpr double fillOpacity = 0.05;
constexpr int picturePadding = 10;
constexpr double captionPoints = 10;

}  // namespace

SetupPreviewBox::SetupPreviewBox(QWidget* parent) : QWidget(parent) {
    setFixedSize(boxWidth, boxHeight);
    spinner_ = new BusySpinner(this);
    placeholder_ = EditorLook::label(QStringLiteral("选择录制范围后显示预览"), captionPoints, this);
    EditorLook::setTextColour(placeholder_, EditorLook::secondaryText(this));
    auto* layers = new QGridLayout(this);
    layers->setContentsMargins(0, 0, 0, 0);
    layers->addWidget(spinner_, 0, 0, Qt::AlignCenter);
    layers->addWidget(placeholder_, 0, 0, Qt::AlignCenter);
    showPicture(std::nullopt, false);
}

void SetupPreviewBox::showPicture(const std::optional<QImage>& picture, bool loading) {
    picture_ = picture;
    spinner_->setVisible(loading);
    placeholder_->setVisible(!picture && !loading);
    update();
}

bool SetupPreviewBox::spinning() const { return !spinner_->isHidden(); }

bool SetupPreviewBox::showsPlaceholder() const { return !placeholder_->isHidden(); }

QRect SetupPreviewBox::pictureRect() const {
    if (!picture_ || picture_->isNull()) return {};
    const QRect room = rect().adjusted(picturePadding, picturePadding, -picturePadding, -picturePadding);
    const QSize fitted = picture_->size().scaled(room.size(), Qt::KeepAspectRatio);
    return QRect(QPoint(room.center().x() - fitted.width() / 2 + 1, room.center().y() - fitted.height() / 2 + 1),
                 fitted);
}

void SetupPreviewBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    QColor fill(Qt::black);
    fill.setAlphaF(fillOpacity);
    painter.fillPath(box, fill);
    if (const QRect target = pictureRect(); !target.isEmpty()) painter.drawImage(target, *picture_);
}

}  // namespace tavero
