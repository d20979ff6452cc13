#include "editor_ui/Thumbnail.h"

#include "document/ImageOps.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/style/SymbolIcons.h"
#include "platform/threads/Background.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace tavero {

namespace {

constexpr double placeholderOpacity = 0.1;
constexpr int placeholderSymbolSide = 16;

// The part of a picture of `picture` size that fills `frame` with its aspect kept.
QRectF filledSource(QSizeF picture, QSizeF frame) {
    const double scale = std::max(frame.width() / picture.width(), frame.height() / picture.height());
    const QSizeF shown(frame.width() / scale, frame.height() / scale);
    return QRectF(QPointF((picture.width() - shown.width()) / 2, (picture.height() - shown.height()) / 2), shown);
}

}  // namespace

Thumbnail::Thumbnail(const QString& path, bool video, QWidget* parent)
    : QWidget(parent), path_(path), video_(video) {}

void Thumbnail::setFile(const QString& path, bool video) {
    if (path == path_ && video == video_) return;
    path_ = path;
    video_ = video;
    picture_ = QImage();
    ++generation_;
    requested_ = false;
    update();
    if (isVisible()) load();
}

QString Thumbnail::placeholderSymbol() const { return video_ ? QStringLiteral("video") : QStringLiteral("photo"); }

void Thumbnail::setCornerRadius(double radius) {
    cornerRadius_ = radius;
    update();
}

void Thumbnail::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    load();
}

void Thumbnail::load() {
    if (requested_ || video_ || path_.isEmpty()) return;
    requested_ = true;
    runThenDeliver(
        this, [path = path_] { return ImageOps::thumbnail(path, maxPixelSize); },
        [this, generation = generation_](Result<QImage> result) {
            if (generation != generation_ || !result || result.value().isNull()) return;
            picture_ = std::move(result).value();
            update();
            emit pictureLoaded();
        },
        QString());
}

void Thumbnail::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius_, cornerRadius_);
    painter.setClipPath(shape);
    if (picture_.isNull()) return paintPlaceholder(painter);
    painter.drawImage(QRectF(rect()), picture_, filledSource(picture_.size(), size()));
}

void Thumbnail::paintPlaceholder(QPainter& painter) {
    painter.fillRect(rect(), EditorLook::faded(QColor(Qt::gray), placeholderOpacity));
    const QRect symbol(QPoint(), QSize(placeholderSymbolSide, placeholderSymbolSide));
    SymbolIcons::icon(placeholderSymbol(), EditorLook::secondaryText(this))
        .paint(&painter, symbol.translated(rect().center() - symbol.center()));
}

}  // namespace tavero
