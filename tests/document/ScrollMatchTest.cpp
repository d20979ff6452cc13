#include "document/ImageOps.h"
#include "tests/document/DocumentFixtures.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using test::filled;

namespace {

// Rows top…top + height of a tall picture: what a scrolled window shows.
QImage window(const QImage& page, int top, int height) { return page.copy(0, top, page.width(), height); }

// Faint texture on a flat grey: changes everywhere, but never enough to prove an alignment.
QImage faintTexture(int width, int height) {
    QImage image = fixtures::noise(width, height, 5);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < 4 * width; ++x)
            if (x % 4 != 3) row[x] = uchar(120 + row[x] % 5);
    }
    return image;
}

// Bands 20 rows high alternating dark and light, with detail along each row.
QImage stripes(int width, int height) {
    QImage image(width, height, ImageOps::surfaceFormat);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        const bool dark = (y / 20) % 2 == 0;
        for (int x = 0; x < width; ++x) {
            const uchar value = uchar((dark ? 40 : 200) + (x * 7) % 50);
            row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = value;
            row[4 * x + 3] = 255;
        }
    }
    return image;
}

}  // namespace

TEST(ScrollOverlap, AnswersZeroForTheSameFrame) {
    const QImage frame = fixtures::screenshotLike(1200, 900);
    EXPECT_EQ(ImageOps::scrollOverlap(frame, frame), 0);
    const QImage tiny = fixtures::noise(5, 10);
    EXPECT_EQ(ImageOps::scrollOverlap(tiny, tiny), 0) << "too small to search, yet plainly unchanged";
}

TEST(ScrollOverlap, RefusesAChangeOfSize) {
    const QImage frame = fixtures::screenshotLike(800, 600);
    test::expectShotError([&] { ImageOps::scrollOverlap(frame, frame.copy(0, 0, 800, 599)); },
                          QStringLiteral("滚动截图区域发生变化，请重新开始。"));
}

// The exact row count for every scroll distance, including distances at
// which the phase-correlation hint lands whole text lines off.
TEST(ScrollOverlap, FindsTheExactOverlapOfAScrolledScreenshot) {
    const QImage page = fixtures::screenshotLike(1200, 3000);
    for (int shift : {2, 23, 37, 120, 317, 600, 843, 1000, 1100}) {
        const auto overlap = ImageOps::scrollOverlap(window(page, 300, 1500), window(page, 300 + shift, 1500));
        ASSERT_TRUE(overlap.has_value()) << "shift " << shift;
        EXPECT_EQ(*overlap, 1500 - shift) << "shift " << shift;
    }
}

TEST(ScrollOverlap, FindsNoisyContentMovedUpAndRefusesItMovedDown) {
    const QImage page = fixtures::noise(640, 1000, 9);
    EXPECT_EQ(ImageOps::scrollOverlap(window(page, 0, 720), window(page, 37, 720)), 720 - 37);
    EXPECT_EQ(ImageOps::scrollOverlap(window(page, 37, 720), window(page, 0, 720)), std::nullopt);
}

TEST(ScrollOverlap, RefusesFramesWithNothingToAlignOn) {
    EXPECT_EQ(ImageOps::scrollOverlap(filled(400, 300, QColor(90, 90, 90)), filled(400, 300, QColor(110, 110, 110))),
              std::nullopt);
    const QImage texture = faintTexture(400, 600);
    EXPECT_EQ(ImageOps::scrollOverlap(window(texture, 0, 400), window(texture, 40, 400)), std::nullopt);
}

TEST(ScrollOverlap, RefusesRepeatingContentThatCouldHaveMovedEitherWay) {
    const QImage page = stripes(400, 800);
    for (int shift : {13, 20, 31})
        EXPECT_EQ(ImageOps::scrollOverlap(window(page, 0, 500), window(page, shift, 500)), std::nullopt)
            << "shift " << shift;
}

TEST(ScrollOverlap, RefusesFramesTooSmallToSearch) {
    const QImage low = fixtures::noise(300, 40, 2);
    EXPECT_EQ(ImageOps::scrollOverlap(window(low, 0, 20), window(low, 3, 20)), std::nullopt);
    const QImage narrow = fixtures::noise(8, 300, 2);
    EXPECT_EQ(ImageOps::scrollOverlap(window(narrow, 0, 200), window(narrow, 5, 200)), std::nullopt);
    const QImage smallest = fixtures::noise(9, 40, 3);
    EXPECT_EQ(ImageOps::scrollOverlap(window(smallest, 0, 21), window(smallest, 3, 21)), 18)
        << "21 rows and 9 columns are just enough";
}

TEST(ScrollSignature, IsA96By120GreyThumbnailWhoseDifferenceGrowsWithTheChange) {
    const QByteArray grey = ImageOps::scrollSignature(filled(1440, 900, QColor(200, 200, 200)));
    ASSERT_EQ(grey.size(), 96 * 120);
    EXPECT_EQ(quint8(grey[0]), 200);
    EXPECT_EQ(quint8(grey[96 * 120 - 1]), 200);

    const QImage frame = fixtures::screenshotLike(1440, 900);
    const QByteArray signature = ImageOps::scrollSignature(frame);
    EXPECT_EQ(ImageOps::scrollDifference(signature, signature), 0.0);
    EXPECT_TRUE(std::isinf(ImageOps::scrollDifference(signature, signature.left(100))));
    EXPECT_TRUE(std::isinf(ImageOps::scrollDifference(QByteArray(), QByteArray())));

    QImage changed = frame;
    QPainter(&changed).fillRect(600, 400, 200, 150, Qt::black);
    const double small = ImageOps::scrollDifference(signature, ImageOps::scrollSignature(changed));
    EXPECT_GT(small, 0.25) << "a new dialog is a change";
    const double large =
        ImageOps::scrollDifference(signature, ImageOps::scrollSignature(filled(1440, 900, Qt::black)));
    EXPECT_GT(large, small);
}
