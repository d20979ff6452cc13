#include "capture/ScrollComposite.h"

#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"

#include <algorithm>
#include <cstring>

namespace tavero {

namespace {

void checkLimits(qint64 width, qint64 height) {
    if (width > ImageOps::maxSide || height > ImageOps::maxSide || width * height > ImageOps::maxPixels)
        throw ShotError(ImageOps::messages::tooLarge());
}

}  // namespace

ScrollComposite::ScrollComposite(const QImage& first)
    : strips_{first.convertToFormat(ImageOps::surfaceFormat)}, width_(first.width()), height_(first.height()) {}

ScrollComposite ScrollComposite::joined(const QImage& frame, int overlap) const {
    // The bottom row of the composite's last strip is as far as sharing goes.
    const int shared = std::clamp(overlap, 0, std::max(std::min(height_, frame.height()) - 1, 0));
    const qint64 width = std::max(width_, frame.width());
    const qint64 height = qint64(height_) + frame.height() - shared;
    checkLimits(width, height);
    ScrollComposite result = *this;
    // A copy of the new rows alone, so the frame's memory can go.
    result.strips_.append(frame.copy(0, shared, frame.width(), frame.height() - shared)
                              .convertToFormat(ImageOps::surfaceFormat));
    result.width_ = int(width);
    result.height_ = int(height);
    return result;
}

QImage ScrollComposite::image() const {
    if (isNull()) return {};
    QImage surface = ImageOps::context(width_, height_);
    if (std::any_of(strips_.begin(), strips_.end(), [&](const QImage& strip) { return strip.width() < width_; }))
        surface.fill(Qt::white);
    int top = 0;
    for (const QImage& strip : strips_) {
        const size_t rowBytes = size_t(strip.width()) * 4;
        for (int y = 0; y < strip.height(); ++y)
            std::memcpy(surface.scanLine(top + y), strip.constScanLine(y), rowBytes);
        top += strip.height();
    }
    return surface;
}

}  // namespace tavero
