#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>

namespace tavero::fixtures {

// A picture that looks like a screenshot: flat panels, a sidebar, Chinese
// and English text lines and a few icons. Deterministic for a given size.
QImage screenshotLike(int width, int height);

// A white page of numbered lines of dark grey Chinese text, one every 55
// rows in three indents, as a long document looks to the scrolling matcher:
// no two lines alike. Opaque and deterministic for a given size.
QImage textPage(int width, int height);

// One colour all over, in Format_RGB32.
QImage solid(QSize size, const QColor& colour);

// Random pixels: incompressible, and every pixel differs from its neighbours.
QImage noise(int width, int height, quint32 seed = 1);

// A PNG file of only a signature and an IHDR chunk declaring the size.
QByteArray pngHeaderOnly(quint32 width, quint32 height);
// A complete PNG file declaring the size whose image data is empty: readers
// learn the size from it, and decoding fails.
QByteArray pngWithoutPixels(quint32 width, quint32 height);
// A complete greyscale PNG of the size, every pixel black: small and quick
// to make whatever its size.
QByteArray blackPng(quint32 width, quint32 height);
// `png` with `count` compressed text chunks after its header, each unpacking
// to `unpackedBytes` of text.
QByteArray withTextChunks(const QByteArray& png, int count, int unpackedBytes);
// HEIC data `heic` with its size box ("ispe") declaring `size`, whatever its
// stream codes.
QByteArray withSizeBox(QByteArray heic, QSize size);
// HEIC data `heic` of one picture, as our encoder writes it, whose coded
// stream is declared `length` bytes long, whatever it holds.
QByteArray withCodedLength(QByteArray heic, quint32 length);
// An icon file whose one entry declares 256 × 256 pixels and holds `png`,
// whatever size that really is.
QByteArray iconAround(const QByteArray& png);

}  // namespace tavero::fixtures
