#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "platform/ShotError.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace tavero {

namespace {
// `rect` widened to whole pixels and cut at the image edge; empty when
// nothing of it lies on the image or it is not a usable rectangle.
QRect wholePixels(const QRectF& rect, const QSize& imageSize) {
    const QRectF area = rect.normalized();
    if (!std::isfinite(area.left()) || !std::isfinite(area.top()) || !std::isfinite(area.right()) ||
        !std::isfinite(area.bottom()))
        return {};
    // Clamped before converting, so far-off coordinates cannot overflow an int.
    const double width = imageSize.width();
    const double height = imageSize.height();
    const double left = std::clamp(std::floor(area.left()), 0.0, width);
    const double top = std::clamp(std::floor(area.top()), 0.0, height);
    const double right = std::clamp(std::ceil(area.right()), 0.0, width);
    const double bottom = std::clamp(std::ceil(area.bottom()), 0.0, height);
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}
}  // namespace

QImage ShotDocument::rendered() const {
    if (image_.isNull()) throw ShotError(QStringLiteral("请先截图或打开一张图片。"));
    return ImageOps::render(image_, marks_);
}

void ShotDocument::crop(const QRectF& rect) {
    ChangeScope scope(*this);
    if (image_.isNull()) return;
    const QRect area = wholePixels(rect, image_.size());
    if (area.isEmpty()) return;
    QImage flattened;
    try {
        flattened = ImageOps::render(image_, marks_);
    } catch (const std::exception&) {
        return;  // A crop that cannot be made leaves the picture as it was.
    }
    const QImage cropped = flattened.copy(area);
    if (!cropped.isNull()) replace(cropped);
}

}  // namespace tavero
