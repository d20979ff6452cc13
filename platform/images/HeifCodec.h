#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <QSize>

#include <optional>

namespace tavero::heif {

// Whether `head` (the first bytes of a file) starts an HEIF/HEIC container.
bool looksLikeHeif(const QByteArray& head);

// Both read HEIF data that fills `device`, a device that can seek, from its
// start, and take of it only what they need: the boxes that describe the
// picture and, to decode, its coded stream. Padding or any other box is
// passed over unread, and libheif is shown the first boxes of the file alone.
// They read `maxBytes` at most, and fail beyond. Data describing more items
// than a picture needs, or an item coded in AV1 rather than HEVC, fails
// before libheif reads any of it.

// The primary image's pixel size, read from the container without decoding.
std::optional<QSize> imageSize(QIODevice& device, qint64 maxBytes);

// The primary image, decoded; a null image when the data cannot be decoded,
// or when its coded stream is wider or taller than `largestSide`, or states
// a size beyond the blocks of the one its item declares, or the file's
// coded streams together state more than three times its pixels (64 tiles
// of 512 pixels at least): that is refused before any of it is decoded,
// and sets `tooLarge`. A picture made of more tiles than 256-pixel squares
// cover it (64 at least) is refused before any tile is decoded, as one that
// cannot be decoded.
QImage decode(QIODevice& device, qint64 maxBytes, int largestSide, bool& tooLarge);

// HEVC-coded HEIC data of `image` at `quality` (0–100); empty on failure.
QByteArray encode(const QImage& image, int quality);

}  // namespace tavero::heif
