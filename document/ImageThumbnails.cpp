#include "document/ImageOps.h"
#include "document/ImageReading.h"
#include "platform/HeifCodec.h"
#include "platform/ShotError.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace tavero::ImageOps {

namespace {

// `size` shrunk to fit `maxPixelSize` on its longer side; each side at least 1.
QSize fitted(QSize size, int maxPixelSize) {
    const int longer = std::max(size.width(), size.height());
    if (longer <= maxPixelSize) return size;
    const double scale = double(maxPixelSize) / longer;
    return {std::max(int(std::lround(size.width() * scale)), 1), std::max(int(std::lround(size.height() * scale)), 1)};
}

QImage reduced(const QImage& image, int maxPixelSize) {
    const QSize size = fitted(image.size(), maxPixelSize);
    return size == image.size() ? image : resized(image, size.width(), size.height());
}

// Readers that can decode at a reduced size (JPEG) do so; the others decode
// whole, within the pixel limit, and are reduced afterwards.
QImage scaledRead(QIODevice& device, int maxPixelSize) {
    allowLargestImages();
    QImageReader reader(&device);
    const QSize size = reader.size();
    if (!withinPixelLimit(size)) return {};
    reader.setScaledSize(fitted(size, maxPixelSize));
    QImage decoded;
    if (!reader.read(&decoded)) return {};
    return reduced(decoded.convertToFormat(surfaceFormat), maxPixelSize);
}

}  // namespace

QImage thumbnail(const QString& path, int maxPixelSize) {
    if (maxPixelSize < 1) return {};
    QFile file;
    if (!openPictureFile(file, path)) return {};
    try {
        if (heif::looksLikeHeif(file.peek(64))) return reduced(load(path), maxPixelSize);
        return scaledRead(file, maxPixelSize);
    } catch (const ShotError&) {
        return {};
    }
}

}  // namespace tavero::ImageOps
