#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/ImageReading.h"
#include "document/PngText.h"
#include "platform/ShotError.h"
#include "platform/images/HeifBoxes.h"
#include "platform/images/HeifCodec.h"
#include "platform/images/PngEncoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

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

// What libheif may read of a file: a picture within the pixel limit coded
// at no more than four bytes a pixel (8-bit colour and alpha, even without
// loss), and room for the boxes that describe it.
constexpr qint64 heifReadAllowance = maxPixels * 4 + (qint64(16) << 20);

// Reads only the boxes and the coded stream, however large the file.
QImage decodeHeif(QIODevice& device) {
    const auto declared = heif::imageSize(device, heifReadAllowance);
    if (!declared) refuse();
    if (!withinPixelLimit(*declared)) throw PictureTooLarge();
    bool codedTooLarge = false;
    const QImage decoded = heif::decode(device, heifReadAllowance,
                                       heif::codedSideAllowance(std::max(declared->width(), declared->height())),
                                       codedTooLarge);
    if (codedTooLarge) throw PictureTooLarge();
    if (decoded.isNull()) refuse();
    if (!withinPixelLimit(decoded.size())) throw PictureTooLarge();
    return asSurfaceImage(decoded);
}

// Reads from `device`, which holds the image data from its start.
QImage decodeFrom(QIODevice& device) {
    if (heif::looksLikeHeif(device.peek(64))) return decodeHeif(device);
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

quint32 littleEndianAt(const QByteArray& data, qsizetype at, int bytes) {
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | quint8(data.at(at + i));
    return value;
}

quint32 bigEndianAt(const QByteArray& data, qsizetype at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | quint8(data.at(at + i));
    return value;
}

// The size the header of the PNG at `offset` from the start of `device`
// declares; nothing when no PNG starts there.
std::optional<QSize> pngSizeAt(QIODevice& device, qint64 start, qint64 offset) {
    if (!device.seek(start + offset)) return std::nullopt;
    const QByteArray header = device.read(24);
    if (header.size() < 24 || !header.startsWith("\x89PNG\r\n\x1a\n") || header.mid(12, 4) != "IHDR") return std::nullopt;
    const quint32 width = bigEndianAt(header, 16), height = bigEndianAt(header, 20);
    if (width > quint32(INT_MAX) || height > quint32(INT_MAX)) return QSize(INT_MAX, INT_MAX);
    return QSize(int(width), int(height));
}

// An icon's directory says at most 256 × 256 for each of its pictures, and
// Qt's reader reports that, whatever a PNG inside declares and decodes to.
// Each PNG's own header is checked first, as for a PNG file.
bool iconWrapsTooLargePng(QIODevice& device) {
    constexpr int directoryHeader = 6, entrySize = 16;
    const QByteArray head = device.peek(directoryHeader);
    if (device.isSequential() || head.size() < directoryHeader || littleEndianAt(head, 0, 2) != 0 ||
        littleEndianAt(head, 2, 2) != 1)
        return false;
    const int entries = int(littleEndianAt(head, 4, 2));
    const QByteArray directory = device.peek(directoryHeader + entries * entrySize);
    const qint64 start = device.pos();
    bool tooLarge = false;
    for (int i = 0; i < entries && !tooLarge; ++i) {
        const qsizetype entry = directoryHeader + qsizetype(i) * entrySize;
        if (directory.size() < entry + entrySize) break;
        const std::optional<QSize> size = pngSizeAt(device, start, littleEndianAt(directory, entry + 12, 4));
        tooLarge = size && !withinPixelLimit(*size);
    }
    device.seek(start);
    return tooLarge;
}

QImage readChecked(QIODevice& device, int fit) {
    allowLargestImages();
    if (iconWrapsTooLargePng(device)) throw PictureTooLarge();
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
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    if (heif::looksLikeHeif(data.left(64))) return heif::imageSize(buffer, heifReadAllowance);
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
