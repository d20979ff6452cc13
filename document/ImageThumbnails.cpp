#include "document/ImageOps.h"
#include "document/ImageReading.h"
#include "platform/ShotError.h"
#include "platform/images/HeifCodec.h"

#include <QFile>

namespace tavero::ImageOps {

namespace {

QImage reduced(const QImage& image, int maxPixelSize) {
    const QSize size = fittedSize(image.size(), maxPixelSize);
    return size == image.size() ? image : resized(image, size.width(), size.height());
}

// Readers that can decode at a reduced size (JPEG) do so; the others decode
// whole, within the pixel limit, and are reduced afterwards.
QImage scaledRead(QIODevice& device, int maxPixelSize) {
    const QImage decoded = readWithQt(device, maxPixelSize);
    if (decoded.isNull()) return {};
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
