#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/ImageReading.h"
#include "platform/HeifCodec.h"
#include "platform/ShotError.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

namespace tavero::ImageOps {

namespace {

constexpr int lossyQuality = 93;

[[noreturn]] void refuse() { throw ShotError(messages::unreadable()); }

QImage asSurfaceImage(const QImage& decoded) {
    if (decoded.isNull()) refuse();
    return decoded.format() == surfaceFormat ? decoded : decoded.convertToFormat(surfaceFormat);
}

QByteArray encodeWithQt(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) throw ShotError(messages::cannotCreateFile());
    QImageWriter writer(&buffer, format);
    // A quality on the PNG writer turns compression off, so PNG gets none.
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) throw ShotError(messages::encodingFailed());
    return bytes;
}

// Reads from `device`, positioned at the start of the image data.
QImage decodeFrom(QIODevice& device) {
    allowLargestImages();
    if (heif::looksLikeHeif(device.peek(64))) {
        const QByteArray data = device.readAll();
        const auto size = heif::imageSize(data);
        if (!size || !withinPixelLimit(*size)) refuse();
        return asSurfaceImage(heif::decode(data));
    }
    QImageReader reader(&device);
    if (!withinPixelLimit(reader.size())) refuse();
    QImage decoded;
    if (!reader.read(&decoded)) refuse();
    return asSurfaceImage(decoded);
}

}  // namespace

std::optional<QSize> encodedImageSize(const QByteArray& data) {
    if (heif::looksLikeHeif(data.left(64))) return heif::imageSize(data);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = QImageReader(&buffer).size();
    if (!size.isValid()) return std::nullopt;
    return size;
}

QImage decode(const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return decodeFrom(buffer);
}

QImage load(const QString& path) {
    QFile file;
    if (!openPictureFile(file, path)) refuse();
    return decodeFrom(file);
}

QByteArray png(const QImage& image, const QString& type) {
    if (image.isNull()) throw ShotError(messages::cannotCreateFile());
    if (type == QLatin1String("jpg")) return encodeWithQt(image, "jpeg", lossyQuality);
    if (type == QLatin1String("heic")) {
        QByteArray bytes = heif::encode(image, lossyQuality);
        if (bytes.isEmpty()) throw ShotError(messages::encodingFailed());
        return bytes;
    }
    return encodeWithQt(image, "png", -1);
}

}  // namespace tavero::ImageOps
