// Our PNG files, compressed in bands on several threads, read back with
// libpng itself as well as with Qt: every band must join into one stream
// that any reader decodes to the very pixels written.
#include "platform/images/PngEncoder.h"
#include "tests/support/Memory.h"
#include "tests/support/Pictures.h"

#include <QImageReader>
#include <QPainter>

#include <gtest/gtest.h>
#include <png.h>

#include <optional>
#include <vector>

using namespace tavero;

namespace {

// The pixels libpng reads from `data` as straight 8-bit RGBA, or nothing
// when it refuses the file.
std::optional<QImage> readWithLibpng(const QByteArray& data) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.constData(), size_t(data.size()))) return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    QImage pixels(int(image.width), int(image.height), QImage::Format_RGBA8888);
    const bool read = !pixels.isNull() && png_image_finish_read(&image, nullptr, pixels.bits(),
                                                                png_int_32(pixels.bytesPerLine()), nullptr);
    png_image_free(&image);
    if (!read) return std::nullopt;
    return pixels;
}

void expectBothReadersDecode(const QImage& picture, const QByteArray& data, const char* name) {
    const QImage straight = picture.convertToFormat(QImage::Format_RGBA8888);
    const std::optional<QImage> libpng = readWithLibpng(data);
    ASSERT_TRUE(libpng.has_value()) << name << ": libpng refused the file";
    EXPECT_TRUE(*libpng == straight) << name << ": libpng decodes other pixels";
    // As the program allows: a 40-megapixel picture takes 160 MB.
    QImageReader::setAllocationLimit(512);
    QImage qt;
    ASSERT_TRUE(qt.loadFromData(data, "png")) << name << ": Qt refused the file";
    EXPECT_TRUE(qt.convertToFormat(QImage::Format_RGBA8888) == straight) << name << ": Qt decodes other pixels";
}

// IHDR's colour type: 2 for RGB, 6 for RGBA.
int colourType(const QByteArray& data) { return data.at(25); }

QImage withTransparentCorner(QImage picture) {
    picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(0, 0, picture.width() / 3 + 1, picture.height() / 3 + 1, QColor(30, 60, 90, 128));
    return picture;
}

}  // namespace

// Forty megapixels is the largest picture the program opens; encoding one
// of noise, which no band can compress, needs less than two copies of it.
// First in this binary, so the forked child starts with no other threads.
TEST(PngEncoder, TheLargestPictureRoundTripsWithinTwoCopiesOfMemory) {
    const QImage largest = fixtures::noise(8000, 5000, 6);
    const long long copy = largest.sizeInBytes();
    const long long growth = test::peakMemoryGrowth([&] {
        if (png::encode(largest).isEmpty()) std::abort();
    });
    ASSERT_GE(growth, 0) << "the encode failed";
    if (test::tightMemoryBudgets) {
        EXPECT_LT(growth, 2 * copy);
    }
    expectBothReadersDecode(largest, png::encode(largest), "40 megapixels");
}

// Odd widths make RGB rows of an odd number of bytes, and heights that no
// band count divides leave bands of unequal height; a megapixel or more
// is cut into bands at all.
TEST(PngEncoder, RoundTripsDecodeToTheSamePixelsWithLibpngAndQt) {
    const std::pair<const char*, QImage> pictures[] = {
        {"one pixel", fixtures::noise(1, 1, 2)},
        {"one row", fixtures::noise(777, 1, 3)},
        {"odd width, uneven bands", fixtures::noise(1999, 1037, 4)},
        {"screenshot, odd width", fixtures::screenshotLike(2561, 1441)},
        {"text page", fixtures::textPage(1200, 2003)},
    };
    for (const auto& [name, picture] : pictures) {
        const QByteArray data = png::encode(picture);
        EXPECT_EQ(colourType(data), 2) << name << " is opaque, stored as RGB";
        expectBothReadersDecode(picture, data, name);
    }
    const QImage translucent = withTransparentCorner(fixtures::noise(1501, 1003, 5));
    const QByteArray data = png::encode(translucent);
    EXPECT_EQ(colourType(data), 6) << "transparency keeps its alpha";
    expectBothReadersDecode(translucent, data, "translucent, odd width");
}

// Every band but the last ends without closing the stream, so a file cut at
// any point (between two bands too) is refused, never read as a whole picture.
TEST(PngEncoder, AFileCutShortIsRefusedByBothReaders) {
    const QByteArray data = png::encode(fixtures::noise(1600, 1200, 7));
    for (const double part : {0.2, 0.5, 0.8, 0.999}) {
        const QByteArray cut = data.left(qsizetype(double(data.size()) * part));
        EXPECT_FALSE(readWithLibpng(cut).has_value()) << part;
        EXPECT_TRUE(QImage::fromData(cut, "png").isNull()) << part;
    }
}
