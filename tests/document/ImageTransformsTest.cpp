#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tavero;
using test::filled;

namespace {

// Every pixel of `source` at (x, y) is found in `result` at place(x, y).
void expectMoved(const QImage& source, const QImage& result, const std::function<QPoint(int, int)>& place) {
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            ASSERT_EQ(result.pixel(place(x, y)), source.pixel(x, y)) << x << "," << y;
}

bool isWhite(const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::white); }

}  // namespace

// Flipping mirrors left and right before the clockwise turn.
TEST(Transforms, RotateClockwiseAndFlipBeforeTurning) {
    const QImage source = fixtures::noise(30, 20);
    const QImage turned = ImageOps::transformed(source, true, false);
    ASSERT_EQ(turned.size(), QSize(20, 30));
    expectMoved(source, turned, [](int x, int y) { return QPoint(19 - y, x); });

    const QImage mirrored = ImageOps::transformed(source, false, true);
    ASSERT_EQ(mirrored.size(), source.size());
    expectMoved(source, mirrored, [](int x, int y) { return QPoint(29 - x, y); });

    const QImage both = ImageOps::transformed(source, true, true);
    ASSERT_EQ(both.size(), QSize(20, 30));
    expectMoved(source, both, [](int x, int y) { return QPoint(19 - y, 29 - x); });

    EXPECT_EQ(ImageOps::transformed(source, false, false), source);
}

TEST(Transforms, ResizeStretchesToExactlyTheAskedSize) {
    QImage halves = filled(400, 100, Qt::red);
    for (int y = 0; y < 100; ++y)
        for (int x = 200; x < 400; ++x) halves.setPixelColor(x, y, Qt::blue);
    const QImage small = ImageOps::resized(halves, 50, 40);
    ASSERT_EQ(small.size(), QSize(50, 40));
    EXPECT_EQ(small.pixelColor(10, 20), QColor(Qt::red));
    EXPECT_EQ(small.pixelColor(40, 20), QColor(Qt::blue));

    const QImage large = ImageOps::resized(halves, 1000, 30);
    ASSERT_EQ(large.size(), QSize(1000, 30));
    EXPECT_EQ(large.pixelColor(100, 10), QColor(Qt::red));
    EXPECT_EQ(large.pixelColor(900, 10), QColor(Qt::blue));

    EXPECT_THROW(ImageOps::resized(halves, 32001, 10), ShotError);
    EXPECT_THROW(ImageOps::resized(halves, 0, 10), ShotError);
}

TEST(Combine, StacksVerticallyWithAWinningTheClampedOverlap) {
    const QImage a = filled(100, 50, Qt::red);
    const QImage b = filled(100, 50, Qt::blue);
    EXPECT_EQ(ImageOps::combine(a, b, false, 20).size(), QSize(100, 80));
    EXPECT_EQ(ImageOps::combine(a, b, false, 500).size(), QSize(100, 51));
    EXPECT_EQ(ImageOps::combine(a, b, false, -5).size(), QSize(100, 100));

    const QImage joined = ImageOps::combine(a, b, false, 20);
    EXPECT_EQ(joined.pixelColor(50, 49), QColor(Qt::red)) << "the shared rows come from a";
    EXPECT_EQ(joined.pixelColor(50, 50), QColor(Qt::blue));

    const QImage narrow = ImageOps::combine(filled(40, 30, Qt::red), b, false, 0);
    ASSERT_EQ(narrow.size(), QSize(100, 80));
    EXPECT_TRUE(isWhite(narrow, 70, 10)) << "white right of the narrower image";
    EXPECT_EQ(narrow.pixelColor(70, 40), QColor(Qt::blue));
}

TEST(Combine, JoinsSideBySideTopAligned) {
    const QImage joined = ImageOps::combine(filled(100, 50, Qt::red), filled(40, 80, Qt::blue), true, 30);
    ASSERT_EQ(joined.size(), QSize(140, 80));
    EXPECT_EQ(joined.pixelColor(99, 0), QColor(Qt::red));
    EXPECT_EQ(joined.pixelColor(100, 79), QColor(Qt::blue));
    EXPECT_TRUE(isWhite(joined, 50, 60)) << "white under the shorter image";
}

TEST(Combine, FailsBeyondTheLimits) {
    const QImage tall(1, 20000, ImageOps::surfaceFormat);
    EXPECT_THROW(ImageOps::combine(tall, tall, false, 10), ShotError);
    const QImage wide(8000, 2600, ImageOps::surfaceFormat);
    EXPECT_THROW(ImageOps::combine(wide, wide, false, 0), ShotError);
    EXPECT_EQ(ImageOps::combine(wide, wide, false, 200).size(), QSize(8000, 5000)) << "exactly 40,000,000 pixels";
    const QImage wider(20000, 1, ImageOps::surfaceFormat);
    EXPECT_THROW(ImageOps::combine(wider, wider, true, 0), ShotError);
}

TEST(PracticeImage, IsTheSamePictureEveryTime) {
    const QImage practice = ImageOps::demo();
    ASSERT_EQ(practice.size(), QSize(1200, 760));
    EXPECT_EQ(practice, ImageOps::demo());
}
