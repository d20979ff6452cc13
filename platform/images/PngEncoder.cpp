#include "platform/images/PngEncoder.h"

#include <QColorSpace>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace tavero::png {

namespace {

// zlib's default: about the size ImageMagick and libpng reach, in a few
// hundredths of a second per band of a 4K screenshot.
constexpr int compressionLevel = 6;
// A band smaller than this is not worth a thread of its own.
constexpr qint64 bandPixels = 512 * 1024;
// The stream goes into IDAT chunks of this size. libpng refuses one chunk
// larger than the pixels plus the overhead of stored deflate blocks of 32 KB,
// which zlib exceeds on incompressible data (its stored blocks are 16 KB).
constexpr qsizetype idatBytes = 1 << 20;

enum class Filter : uchar { none = 0, paeth = 4 };

struct Layout {
    bool alpha = false;
    int bytesPerPixel = 3;
    QImage::Format format = QImage::Format_RGB888;
};

Layout layoutFor(const QImage& image) {
    if (isOpaque(image)) return {};
    return {true, 4, QImage::Format_RGBA8888};
}

// Formats whose rows can be converted on their own: no colour table, whole bytes.
QImage withDirectPixels(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
    case QImage::Format_RGB888:
        return image;
    default:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    }
}

uchar paethPredictor(int left, int above, int aboveLeft) {
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left);
    const int toAbove = std::abs(estimate - above);
    const int toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft) return uchar(left);
    return uchar(toAbove <= toAboveLeft ? above : aboveLeft);
}

// Rows of flat colour and text (most pixels repeating their left neighbour)
// compress best unfiltered: deflate then finds the same glyphs and runs
// again in other rows. Photographs and gradients need Paeth's prediction.
Filter filterFor(const uchar* row, int rowBytes, int bytesPerPixel) {
    int repeated = 0;
    for (int i = bytesPerPixel; i < rowBytes; ++i) repeated += row[i] == row[i - bytesPerPixel];
    return repeated * 4 >= rowBytes * 3 ? Filter::none : Filter::paeth;
}

// Appends the filter byte and the filtered row; `above` is null for the top row.
void appendFiltered(const uchar* row, const uchar* above, int rowBytes, int bytesPerPixel, std::vector<uchar>& out) {
    const Filter filter = filterFor(row, rowBytes, bytesPerPixel);
    const size_t start = out.size();
    out.resize(start + 1 + size_t(rowBytes));
    uchar* filtered = out.data() + start;
    *filtered++ = uchar(filter);
    if (filter == Filter::none) {
        std::memcpy(filtered, row, size_t(rowBytes));
        return;
    }
    for (int i = 0; i < rowBytes; ++i) {
        const int left = i >= bytesPerPixel ? row[i - bytesPerPixel] : 0;
        const int up = above ? above[i] : 0;
        const int upLeft = above && i >= bytesPerPixel ? above[i - bytesPerPixel] : 0;
        filtered[i] = uchar(row[i] - paethPredictor(left, up, upLeft));
    }
}

// Rows `top` to `bottom` of `image` in the layout's format, filtered.
void appendFilteredRows(const QImage& image, const Layout& layout, int top, int bottom, std::vector<uchar>& out) {
    const int rowBytes = image.width() * layout.bytesPerPixel;
    // With the row above, which Paeth predicts from.
    const int first = std::max(top - 1, 0);
    const QImage view(image.constScanLine(first), image.width(), bottom - first, image.bytesPerLine(), image.format());
    const QImage rows = view.convertToFormat(layout.format);
    for (int y = top; y < bottom; ++y) {
        const uchar* above = y > 0 ? rows.constScanLine(y - 1 - first) : nullptr;
        appendFiltered(rows.constScanLine(y - first), above, rowBytes, layout.bytesPerPixel, out);
    }
}

// One horizontal band, deflated on its own; the bands' outputs join into a
// single zlib stream because each but the last ends on a byte boundary
// without closing the stream. Its output is kept in pieces, so it grows
// without being copied.
struct Band {
    int top = 0;
    int bottom = 0;
    bool last = false;
    std::vector<std::vector<uchar>> deflated;
    uLong checksum = 0;
    uLong filteredBytes = 0;
    bool ok = false;
};

constexpr size_t outputPiece = 256 * 1024;

// Deflates what `stream` holds with `flush`, adding pieces of output as
// they fill; false when zlib fails.
bool deflateInto(z_stream& stream, int flush, Band& band) {
    for (;;) {
        if (band.deflated.empty() || band.deflated.back().size() == outputPiece) {
            band.deflated.emplace_back();
            band.deflated.back().reserve(outputPiece);
        }
        std::vector<uchar>& piece = band.deflated.back();
        const size_t used = piece.size();
        piece.resize(outputPiece);
        stream.next_out = piece.data() + used;
        stream.avail_out = uInt(outputPiece - used);
        const int result = deflate(&stream, flush);
        piece.resize(outputPiece - stream.avail_out);
        if (result == Z_STREAM_END) return true;
        if (result != Z_OK && result != Z_BUF_ERROR) return false;
        // Done when zlib had room left over: all input taken, all flushed.
        if (stream.avail_out > 0 && stream.avail_in == 0) return flush != Z_FINISH;
    }
}

// Filters and deflates the band a few rows at a time: each band has its own
// thread already (Qt would spread a larger conversion over its shared pool),
// and only the compressed band is held whole.
void encodeBand(const QImage& image, const Layout& layout, Band& band) {
    constexpr int rowsAtOnce = 16;
    z_stream stream{};
    // Raw deflate: the zlib header and checksum are written once for all bands.
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return;
    band.checksum = adler32(0, nullptr, 0);
    std::vector<uchar> filtered;
    bool ok = true;
    for (int top = band.top; ok && top < band.bottom; top += rowsAtOnce) {
        const int bottom = std::min(top + rowsAtOnce, band.bottom);
        filtered.clear();
        appendFilteredRows(image, layout, top, bottom, filtered);
        band.filteredBytes += uLong(filtered.size());
        band.checksum = adler32(band.checksum, filtered.data(), uInt(filtered.size()));
        stream.next_in = filtered.data();
        stream.avail_in = uInt(filtered.size());
        const bool end = bottom == band.bottom;
        ok = deflateInto(stream, end ? (band.last ? Z_FINISH : Z_SYNC_FLUSH) : Z_NO_FLUSH, band);
    }
    band.ok = ok;
    deflateEnd(&stream);
}

std::vector<Band> bandsOf(const QImage& image, int threads) {
    const qint64 pixels = qint64(image.width()) * image.height();
    if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));
    const int count = int(std::clamp<qint64>(pixels / bandPixels, 1, std::min(threads, image.height())));
    std::vector<Band> bands(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        bands[size_t(i)].top = int(qint64(image.height()) * i / count);
        bands[size_t(i)].bottom = int(qint64(image.height()) * (i + 1) / count);
    }
    bands.back().last = true;
    return bands;
}

// Deflates every band, the first on this thread and the others beside it.
// No exception leaves the threads: zlib reports failures through band.ok.
bool encodeBands(const QImage& image, const Layout& layout, std::vector<Band>& bands) {
    std::vector<std::jthread> helpers;
    for (size_t i = 1; i < bands.size(); ++i)
        helpers.emplace_back([&image, &layout, &band = bands[i]] { encodeBand(image, layout, band); });
    encodeBand(image, layout, bands.front());
    helpers.clear();
    return std::all_of(bands.begin(), bands.end(), [](const Band& band) { return band.ok; });
}

void appendBigEndian(QByteArray& out, quint32 value) {
    const quint32 big = qToBigEndian(value);
    out.append(reinterpret_cast<const char*>(&big), 4);
}

void appendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    appendBigEndian(out, quint32(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const auto* typed = reinterpret_cast<const Bytef*>(out.constData() + start);
    appendBigEndian(out, quint32(crc32(crc32(0, nullptr, 0), typed, uInt(data.size() + 4))));
}

QByteArray header(const QImage& image, const Layout& layout) {
    constexpr char rgb = 2, rgba = 6, bitDepth = 8;
    QByteArray data;
    appendBigEndian(data, quint32(image.width()));
    appendBigEndian(data, quint32(image.height()));
    // Bit depth, colour type, then deflate, adaptive filtering, no interlace.
    const char fields[] = {bitDepth, layout.alpha ? rgba : rgb, 0, 0, 0};
    data.append(fields, sizeof fields);
    return data;
}

// pHYs: pixels per metre, as Qt's own writer stores them.
QByteArray resolution(const QImage& image) {
    QByteArray data;
    appendBigEndian(data, quint32(image.dotsPerMeterX()));
    appendBigEndian(data, quint32(image.dotsPerMeterY()));
    data.append(char(1));
    return data;
}

// iCCP: the profile's name, a separator, the compression method, the profile deflated.
QByteArray colourProfile(const QByteArray& profile) {
    uLongf size = compressBound(uLong(profile.size()));
    QByteArray deflated(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(profile.constData()),
                  uLong(profile.size()), compressionLevel) != Z_OK)
        return {};
    deflated.resize(qsizetype(size));
    return QByteArrayLiteral("ICC Profile") + QByteArray(2, '\0') + deflated;
}

// The bands' pieces as one zlib stream in IDAT chunks of idatBytes, each
// band let go once written.
void appendImageData(QByteArray& out, std::vector<Band>& bands) {
    // CMF and FLG of a 32 KiB window at the default level.
    QByteArray chunk("\x78\x9c", 2);
    uLong checksum = adler32(0, nullptr, 0);
    for (Band& band : bands) {
        for (const std::vector<uchar>& piece : band.deflated) {
            chunk.append(reinterpret_cast<const char*>(piece.data()), qsizetype(piece.size()));
            if (chunk.size() < idatBytes) continue;
            appendChunk(out, "IDAT", chunk);
            chunk.clear();
        }
        checksum = adler32_combine(checksum, band.checksum, z_off_t(band.filteredBytes));
        band.deflated = {};
    }
    appendBigEndian(chunk, quint32(checksum));
    appendChunk(out, "IDAT", chunk);
}

}  // namespace

bool isOpaque(const QImage& image) {
    if (!image.hasAlphaChannel()) return true;
    switch (image.format()) {
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        for (int y = 0; y < image.height(); ++y) {
            const uchar* row = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x)
                if (row[x * 4 + 3] != 255) return false;
        }
        return true;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(row[x]) != 255) return false;
        }
        return true;
    default:
        return isOpaque(image.convertToFormat(QImage::Format_ARGB32));
    }
}

QByteArray encode(const QImage& picture, int threads) {
    if (picture.isNull()) return {};
    const QImage image = withDirectPixels(picture);
    const Layout layout = layoutFor(image);
    std::vector<Band> bands = bandsOf(image, threads);
    if (!encodeBands(image, layout, bands)) return {};
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", header(image, layout));
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterY() > 0) appendChunk(out, "pHYs", resolution(image));
    if (image.colorSpace().isValid()) {
        const QByteArray profile = colourProfile(image.colorSpace().iccProfile());
        if (!profile.isEmpty()) appendChunk(out, "iCCP", profile);
    }
    appendImageData(out, bands);
    appendChunk(out, "IEND", {});
    return out;
}

}  // namespace tavero::png
