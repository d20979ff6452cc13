#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace tavero::heif {

// Whether `head` (the first bytes of a file) starts an HEIF/HEIC container.
bool looksLikeHeif(const QByteArray& head);

// The primary image's pixel size, read from the container without decoding.
std::optional<QSize> imageSize(const QByteArray& data);

// The primary image, decoded; a null image when the data cannot be decoded,
// or when its coded stream is wider or taller than `largestSide`: that is
// refused before any of it is decoded, and sets `tooLarge`.
QImage decode(const QByteArray& data, int largestSide, bool& tooLarge);

// HEVC-coded HEIC data of `image` at `quality` (0–100); empty on failure.
QByteArray encode(const QImage& image, int quality);

}  // namespace tavero::heif
