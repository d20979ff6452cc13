#include "app/model/PastedContent.h"

#include "document/ImageOps.h"
#include "platform/ShotError.h"

#include <QMimeData>
#include <QUrl>

#include <optional>

namespace tavero {

namespace {

const QString pngType = QStringLiteral("image/png");

bool withinPixelLimit(QSize size) { return qint64(size.width()) * size.height() <= ImageOps::maxPixels; }

// PNG first, then the other image types in the order they are offered.
QStringList encodedImageTypes(const QMimeData& data) {
    QStringList types;
    for (const QString& type : data.formats())
        if (type.startsWith(QLatin1String("image/"))) types.append(type);
    if (types.removeAll(pngType) > 0) types.prepend(pngType);
    return types;
}

std::optional<PastedContent> encodedPicture(const QMimeData& data, const QStringList& types) {
    for (const QString& type : types) {
        const QByteArray bytes = data.data(type);
        const std::optional<QSize> size = ImageOps::encodedImageSize(bytes);
        if (!size || size->isEmpty()) continue;
        if (!withinPixelLimit(*size)) return PastedContent{PastedContent::Kind::tooLarge, {}, {}};
        try {
            return PastedContent{PastedContent::Kind::picture, ImageOps::decode(bytes), {}};
        } catch (const ImageOps::PictureTooLarge&) {
            return PastedContent{PastedContent::Kind::tooLarge, {}, {}};
        } catch (const ShotError&) {
            continue;
        }
    }
    return std::nullopt;
}

// A picture this program put on the clipboard stays decoded in memory. Only
// asked for when no encoded type is offered: Qt would decode one of those
// to answer, unchecked.
std::optional<PastedContent> pictureInMemory(const QMimeData& data) {
    if (!data.hasImage()) return std::nullopt;
    const QImage image = qvariant_cast<QImage>(data.imageData());
    if (image.isNull()) return std::nullopt;
    if (!withinPixelLimit(image.size())) return PastedContent{PastedContent::Kind::tooLarge, {}, {}};
    return PastedContent{PastedContent::Kind::picture, image.convertToFormat(ImageOps::surfaceFormat), {}};
}

std::optional<QString> firstLocalFile(const QMimeData& data) {
    for (const QUrl& url : data.urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return std::nullopt;
}

}  // namespace

PastedContent PastedContent::from(const QMimeData* data) {
    if (!data) return {};
    const QStringList types = encodedImageTypes(*data);
    if (auto picture = types.isEmpty() ? pictureInMemory(*data) : encodedPicture(*data, types)) return *picture;
    if (auto file = firstLocalFile(*data)) return {Kind::file, {}, *file};
    return {};
}

}  // namespace tavero
