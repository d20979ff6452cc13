#include "camera/RecordingCompositor.h"

#include "camera/SmartCameraTrack.h"
#include "document/ImageFilters.h"
#include "document/ImageOps.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavero {

namespace {

// Blur radii, the corner and the shadow are designed for 1920 pixels of
// output width and scale with it, never below 0.4 of it.
constexpr double referenceWidth = 1920;
constexpr double smallestScale = 0.4;
constexpr double cornerRadius = 12;
constexpr double shadowSigma = 12;
constexpr double shadowOpacity = 0.28;
constexpr int largestStillWidth = 1280;
constexpr double stillSigma = 12;
// The backdrop is blurred on a copy reduced until the blur spans about this
// many of its pixels: a blur that wide hides the reduction, and a 1080p
// backdrop costs a few milliseconds instead of a quarter of a second.
constexpr double reducedBlurSigma = 4;

// Not-a-number falls to the lower bound, like every value below it.
double clampedTo(double value, double low, double high) { return value >= high ? high : (value > low ? value : low); }

double paddingOf(const RecordingEffects& effects) { return clampedTo(effects.padding, 0.03, 0.14); }
double blurOf(const RecordingEffects& effects) { return clampedTo(effects.blur, 12, 48); }

// The coverage of the rounded frame, antialiased, over the whole canvas.
QImage frameMask(const QSize& canvas, const QRect& frame, double radius) {
    QImage mask(canvas, QImage::Format_Alpha8);
    mask.fill(0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(frame), radius, radius);
    painter.fillPath(shape, Qt::black);
    return mask;
}

// What a black shadow of the frame leaves of the backdrop: 255 where it
// does not reach, less under it.
QImage shadowKeep(const QImage& mask, double sigma) {
    QImage keep = ImageOps::filters::blurred(mask, mask.rect(), sigma);
    for (int y = 0; y < keep.height(); ++y) {
        uchar* row = keep.scanLine(y);
        for (int x = 0; x < keep.width(); ++x) row[x] = uchar(255 - std::lround(shadowOpacity * row[x]));
    }
    return keep;
}

QImage inFrameFormat(const QImage& image) {
    return image.format() == RecordingCompositor::frameFormat
               ? image
               : image.convertToFormat(RecordingCompositor::frameFormat);
}

void copyArea(const QImage& from, QImage& to, const QRect& area) {
    const size_t bytes = size_t(area.width()) * 4;
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memcpy(to.scanLine(y) + area.left() * 4, from.constScanLine(y) + area.left() * 4, bytes);
}

// Channel by channel, (top × cover + bottom × (255 − cover)) / 255.
QRgb mixed(QRgb top, QRgb bottom, int cover) {
    const auto channel = [&](int shift) {
        const int a = (top >> shift) & 0xff, b = (bottom >> shift) & 0xff;
        return uint((a * cover + b * (255 - cover) + 127) / 255) << shift;
    };
    return 0xff000000u | channel(16) | channel(8) | channel(0);
}

}  // namespace

RecordingCompositor::RecordingCompositor(const QSize& sourceSize, const RecordingEffects& effects,
                                         const QImage& background)
    : sourceSize_(sourceSize),
      outputSize_(outputSize(sourceSize, effects)),
      framed_(effects.backgroundBlur && !sourceSize.isEmpty()),
      inset_(inset(sourceSize, effects)) {
    if (!framed_) return;
    const double scale = std::max(outputSize_.width() / referenceWidth, smallestScale);
    backdropSigma_ = blurOf(effects) * scale;
    const int w = sourceSize.width(), h = sourceSize.height(), i = inset_;
    const double radius = cornerRadius * scale;
    mask_ = frameMask(outputSize_, QRect(i, i, w, h), radius);
    shadowKeep_ = shadowKeep(mask_, shadowSigma * scale);
    const int reach = ImageOps::filters::blurReach(shadowSigma * scale);
    shadowReach_ = QRect(i, i, w, h).adjusted(-reach, -reach, reach, reach) & QRect(QPoint(), outputSize_);

    const int c = std::min({int(std::ceil(radius)), w / 2, h / 2});
    const int ow = outputSize_.width(), oh = outputSize_.height();
    border_ = {QRect(0, 0, ow, i + c), QRect(0, i + h - c, ow, oh - (i + h - c)), QRect(0, i + c, i, h - 2 * c),
               QRect(i + w, i + c, ow - (i + w), h - 2 * c)};
    inside_ = {QRect(i, i + c, w, h - 2 * c), QRect(i + c, i, w - 2 * c, c), QRect(i + c, i + h - c, w - 2 * c, c)};
    corners_ = {QRect(i, i, c, c), QRect(i + w - c, i, c, c), QRect(i, i + h - c, c, c),
                QRect(i + w - c, i + h - c, c, c)};

    if (background.isNull()) return;
    fixedBackdrop_ = QImage(outputSize_, frameFormat);
    Scratch scratch;
    paintBackdrop(inFrameFormat(background), fixedBackdrop_, {fixedBackdrop_.rect()}, scratch);
    darkenUnderShadow(fixedBackdrop_, fixedBackdrop_.rect());
}

int RecordingCompositor::inset(const QSize& size, const RecordingEffects& effects) {
    if (!effects.backgroundBlur) return 0;
    const int shorter = std::max(std::min(size.width(), size.height()), 0);
    return 2 * int(std::round(shorter * paddingOf(effects) * 0.5));
}

QSize RecordingCompositor::outputSize(const QSize& size, const RecordingEffects& effects) {
    const int border = 2 * inset(size, effects);
    return {size.width() + border, size.height() + border};
}

QImage RecordingCompositor::backgroundSnapshot(const QImage& still) {
    if (still.isNull()) return {};
    QImage picture = still.convertToFormat(ImageOps::surfaceFormat);
    if (picture.width() > largestStillWidth) {
        const double k = double(largestStillWidth) / picture.width();
        picture = picture.scaled(largestStillWidth, std::max(1, int(std::lround(picture.height() * k))),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return ImageOps::filters::blurred(picture, picture.rect(), stillSigma);
}

QImage RecordingCompositor::frame(const QImage& source, const CameraPose& pose) const {
    if (source.isNull() || outputSize_.isEmpty()) return {};
    const QImage picture = inFrameFormat(source);
    const QRectF from = visiblePart(picture, pose);
    if (!framed_ && picture.size() == sourceSize_ && from == QRectF(picture.rect())) return picture;

    QImage canvas(outputSize_, frameFormat);
    if (canvas.isNull()) return {};
    Scratch scratch;
    compose(picture, from, canvas, scratch);
    return canvas;
}

void RecordingCompositor::frameInto(const QImage& source, const CameraPose& pose, QImage& canvas,
                                    Scratch& scratch) const {
    const QImage picture = inFrameFormat(source);
    compose(picture, visiblePart(picture, pose), canvas, scratch);
}

void RecordingCompositor::compose(const QImage& picture, const QRectF& from, QImage& canvas,
                                  Scratch& scratch) const {
    if (!framed_) {
        paintPicture(picture, from, canvas, canvas.rect());
        return;
    }
    if (fixedBackdrop_.isNull()) {
        paintBackdrop(picture, canvas, border_, scratch);
        for (const QRect& area : border_) darkenUnderShadow(canvas, area);
    } else {
        for (const QRect& area : border_) copyArea(fixedBackdrop_, canvas, area);
    }
    for (const QRect& area : inside_) paintPicture(picture, from, canvas, area);
    blendCorners(picture, from, canvas);
}

QRectF RecordingCompositor::visiblePart(const QImage& image, const CameraPose& pose) const {
    const QSizeF size(sourceSize_);
    const QRectF view = SmartCameraTrack::viewport(pose, size);
    if (!std::isfinite(view.x()) || !std::isfinite(view.y()) || !(view.width() > 0) || !(view.height() > 0))
        return QRectF(image.rect());
    const double sx = image.width() / size.width(), sy = image.height() / size.height();
    // The viewport's origin is the frame's bottom-left corner; images start top-left.
    const double top = size.height() - view.y() - view.height();
    return {view.x() * sx, top * sy, view.width() * sx, view.height() * sy};
}

void RecordingCompositor::paintBackdrop(const QImage& picture, QImage& canvas, const QList<QRect>& areas,
                                        Scratch& scratch) const {
    // The picture, scaled to cover the canvas and centred, then blurred.
    const double ow = outputSize_.width(), oh = outputSize_.height();
    const double k = std::max(ow / picture.width(), oh / picture.height());
    const double left = (ow - picture.width() * k) * 0.5, top = (oh - picture.height() * k) * 0.5;

    // Halve while the blur still spans enough pixels of the halved copy:
    // averaging pairs is the quickest exact reduction. The odd row or column
    // a halving leaves out lies under the repeated edge anyway.
    const QImage* reduced = &picture;
    int factor = 1;
    for (size_t level = 0; backdropSigma_ / (k * factor * 2) >= reducedBlurSigma && reduced->width() >= 2 &&
                           reduced->height() >= 2;
         ++level) {
        const QSize half(reduced->width() / 2, reduced->height() / 2);
        const QImage even(reduced->constBits(), half.width() * 2, half.height() * 2, reduced->bytesPerLine(),
                          reduced->format());
        if (scratch.halves.size() <= level) scratch.halves.emplace_back();
        QImage& halved = scratch.halves[level];
        if (halved.size() != half || halved.format() != reduced->format()) halved = QImage(half, reduced->format());
        ImageOps::filters::reduceInto(even, halved);
        reduced = &halved;
        factor *= 2;
    }
    ImageOps::filters::blurInto(*reduced, reduced->rect(), backdropSigma_ / (k * factor), scratch.blurred,
                                scratch.blur);
    const QImage& blurred = scratch.blurred;
    const QRectF to(left, top, reduced->width() * factor * k, reduced->height() * factor * k);
    for (const QRect& area : areas) ImageOps::filters::drawScaled(blurred, QRectF(blurred.rect()), canvas, to, area);
}

void RecordingCompositor::paintPicture(const QImage& source, const QRectF& from, QImage& canvas,
                                       const QRect& area) const {
    paintPictureAt(source, from, canvas, QPoint(inset_, inset_), area);
}

void RecordingCompositor::paintPictureAt(const QImage& source, const QRectF& from, QImage& target,
                                         const QPoint& origin, const QRect& area) const {
    if (area.isEmpty()) return;
    if (source.size() == sourceSize_ && from == QRectF(source.rect())) {
        const size_t bytes = size_t(area.width()) * 4;
        for (int y = area.top(); y <= area.bottom(); ++y)
            std::memcpy(target.scanLine(y) + area.left() * 4,
                        source.constScanLine(y - origin.y()) + (area.left() - origin.x()) * 4, bytes);
        return;
    }
    ImageOps::filters::drawScaled(source, from, target, QRectF(QPointF(origin), QSizeF(sourceSize_)), area);
}

void RecordingCompositor::blendCorners(const QImage& source, const QRectF& from, QImage& canvas) const {
    for (const QRect& corner : corners_) {
        if (corner.isEmpty()) continue;
        QImage piece(corner.size(), frameFormat);
        paintPictureAt(source, from, piece, QPoint(inset_, inset_) - corner.topLeft(), piece.rect());
        for (int y = 0; y < corner.height(); ++y) {
            const auto* picture = reinterpret_cast<const QRgb*>(piece.constScanLine(y));
            const uchar* cover = mask_.constScanLine(corner.top() + y) + corner.left();
            auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(corner.top() + y)) + corner.left();
            for (int x = 0; x < corner.width(); ++x) row[x] = mixed(picture[x], row[x], cover[x]);
        }
    }
}

void RecordingCompositor::darkenUnderShadow(QImage& canvas, const QRect& whole) const {
    const QRect area = whole & shadowReach_;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* keep = shadowKeep_.constScanLine(y);
        auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            // 0…256, so that two channels fit one multiplication without
            // overlapping; 256 where the shadow does not reach.
            const uint k = keep[x] + (keep[x] >> 7);
            const QRgb pixel = row[x];
            const uint redBlue = (((pixel & 0xff00ffu) * k) >> 8) & 0xff00ffu;
            const uint green = (((pixel & 0x00ff00u) * k) >> 8) & 0x00ff00u;
            row[x] = 0xff000000u | redBlue | green;
        }
    }
}

}  // namespace tavero
