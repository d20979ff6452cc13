#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/ImageReading.h"
#include "document/PngText.h"
#include "platform/HeifCodec.h"
#include "platform/PngEncoder.h"
#include "platform/ShotError.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cmath>

namespace tavero::ImageOps {

namespace {

constexpr int lossyQuality = 93;

[[noreturn]] void refuse() { throw ShotError(messages::unreadable()); }

QImage asSurfaceImage(const QImage& decoded) {
    if (decoded.isNull()) refuse();
    return decoded.format() == surfaceFormat ? decoded : decoded.convertToFormat(surfaceFormat);
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly)) throw ShotError(messages::cannotCreateFile());
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(image)) throw ShotError(messages::encodingFailed());
    return bytes;
}

// Coded pictures are whole blocks of up to 64 pixels a side, cut to the
// declared size afterwards: a stream may be that much larger, no more.
int codedSideAllowance(QSize declared) {
    constexpr int block = 64;
    const int longer = std::max(declared.width(), declared.height());
    return (longer + block - 1) / block * block + block;
}

QImage decodeHeif(const QByteArray& data) {
    const auto declared = heif::imageSize(data);
    if (!declared) refuse();
    if (!withinPixelLimit(*declared)) throw PictureTooLarge();
    bool codedTooLarge = false;
    const QImage decoded = heif::decode(data, codedSideAllowance(*declared), codedTooLarge);
    if (codedTooLarge) throw PictureTooLarge();
    if (decoded.isNull()) refuse();
    if (!withinPixelLimit(decoded.size())) throw PictureTooLarge();
    return asSurfaceImage(decoded);
}

// Reads from `device`, positioned at the start of the image data.
QImage decodeFrom(QIODevice& device) {
    if (heif::looksLikeHeif(device.peek(64))) return decodeHeif(device.readAll());
    return asSurfaceImage(readWithQt(device));
}

// `read` of `device`, or of a copy of the PNG on it without the text chunks
// that would take more than a little memory.
template <class Read>
auto withoutExcessText(QIODevice& device, Read read) {
    if (std::optional<QByteArray> png = pngWithoutExcessText(device)) {
        QBuffer stripped(&*png);
        stripped.open(QIODevice::ReadOnly);
        return read(stripped);
    }
    return read(device);
}

QImage readChecked(QIODevice& device, int fit) {
    allowLargestImages();
    QImageReader reader(&device);
    const QSize declared = reader.size();
    if (!declared.isValid() || declared.isEmpty()) return {};
    if (!withinPixelLimit(declared)) throw PictureTooLarge();
    // Only a reader that decodes at the smaller size is asked to: others
    // decode whole and scale, and their whole picture is what must be measured.
    if (fit > 0 && reader.supportsOption(QImageIOHandler::ScaledSize))
        reader.setScaledSize(fittedSize(declared, fit));
    QImage decoded;
    if (!reader.read(&decoded)) return {};
    if (!withinPixelLimit(decoded.size())) throw PictureTooLarge();
    return decoded;
}

}  // namespace

PictureTooLarge::PictureTooLarge() : ShotError(messages::unreadable()) {}

QSize fittedSize(QSize size, int longerSide) {
    const int longer = std::max(size.width(), size.height());
    if (longer <= longerSide) return size;
    const double scale = double(longerSide) / longer;
    return {std::max(int(std::lround(size.width() * scale)), 1), std::max(int(std::lround(size.height() * scale)), 1)};
}

QImage readWithQt(QIODevice& device, int fit) {
    return withoutExcessText(device, [fit](QIODevice& source) { return readChecked(source, fit); });
}

std::optional<QSize> encodedImageSize(const QByteArray& data) {
    if (heif::looksLikeHeif(data.left(64))) return heif::imageSize(data);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const QSize size = withoutExcessText(buffer, [](QIODevice& source) { return QImageReader(&source).size(); });
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
    if (type == QLatin1String("jpg")) return encodeJpeg(image, lossyQuality);
    if (type == QLatin1String("heic")) {
        QByteArray bytes = heif::encode(image, lossyQuality);
        if (bytes.isEmpty()) throw ShotError(messages::encodingFailed());
        return bytes;
    }
    QByteArray bytes = png::encode(image);
    if (bytes.isEmpty()) throw ShotError(messages::encodingFailed());
    return bytes;
}

}  // namespace tavero::ImageOps
