#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/PixelViews.h"
#include "document/Surfaces.h"
#include "platform/ShotError.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>

namespace tavero::ImageOps {

namespace {

// The source as a readable surface; an empty image cannot be transformed.
QImage readable(const QImage& image) {
    if (image.isNull()) throw ShotError(messages::cannotRender());
    return pixels::inSurfaceFormat(image);
}

}  // namespace

QImage resized(const QImage& image, int width, int height) {
    QImage surface = context(width, height);
    const QImage source = readable(image);
    const bool shrinking = width <= source.width() && height <= source.height();
    cv::Mat target = pixels::view(surface);
    // Averaging areas keeps reduced screenshots free of aliasing; enlarging interpolates.
    cv::resize(pixels::constView(source), target, target.size(), 0, 0,
               shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
    return surface;
}

QImage transformed(const QImage& image, bool rotate, bool flip) {
    const QImage source = readable(image);
    QImage surface = rotate ? context(source.height(), source.width()) : context(source.width(), source.height());
    const cv::Mat from = pixels::constView(source);
    cv::Mat target = pixels::view(surface);
    if (rotate && flip) {
        cv::Mat mirrored;
        cv::flip(from, mirrored, 1);
        cv::rotate(mirrored, target, cv::ROTATE_90_CLOCKWISE);
    } else if (rotate) {
        cv::rotate(from, target, cv::ROTATE_90_CLOCKWISE);
    } else if (flip) {
        cv::flip(from, target, 1);
    } else {
        from.copyTo(target);
    }
    return surface;
}

QImage combine(const QImage& a, const QImage& b, bool horizontal, int overlap) {
    const int shared = std::clamp(overlap, 0, std::max(std::min(a.height(), b.height()) - 1, 0));
    const qint64 width = horizontal ? qint64(a.width()) + b.width() : std::max(a.width(), b.width());
    const qint64 height = horizontal ? std::max(a.height(), b.height()) : qint64(a.height()) + b.height() - shared;
    QImage surface = surfaceOf(width, height);
    surface.fill(Qt::white);

    QPainter painter(&surface);
    if (!painter.isActive()) throw ShotError(messages::cannotRender());
    if (horizontal) {
        painter.drawImage(0, 0, a);
        painter.drawImage(a.width(), 0, b);
    } else {
        // a is drawn last, so the rows both images hold come from a.
        painter.drawImage(0, int(height) - b.height(), b);
        painter.drawImage(0, 0, a);
    }
    return surface;
}

}  // namespace tavero::ImageOps
