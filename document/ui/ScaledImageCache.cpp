#include "document/ui/ScaledImageCache.h"

namespace tavero {

const QImage& ScaledImageCache::scaled(const QImage& image, QSize size, double devicePixelRatio) {
    if (sourceKey_ != image.cacheKey() || scaled_.size() != size) {
        // Dropped first, so the old copy and the new one never coexist.
        scaled_ = QImage();
        scaled_ = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        sourceKey_ = image.cacheKey();
    }
    scaled_.setDevicePixelRatio(devicePixelRatio);
    return scaled_;
}

}  // namespace tavero
