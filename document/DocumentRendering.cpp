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
    const double left = std::max(std::floor(area.left()), 0.0);
    const double top = std::max(std::floor(area.top()), 0.0);
    const double right = std::min(std::ceil(area.right()), double(imageSize.width()));
    const double bottom = std::min(std::ceil(area.bottom()), double(imageSize.height()));
    if (right <= left || bottom <= top) return {};
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
