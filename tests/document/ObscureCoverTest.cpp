#include "document/ImageOps.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using test::coverMark;
using test::filled;

namespace {

const ObscureSettings frosted{ObscureStyle::frosted, 24, 0.28};
const ObscureSettings soft{ObscureStyle::soft, 24, 0.28};

ObscureSettings pixel(double strength) { return {ObscureStyle::pixel, strength, 0.28}; }

QImage covered(const QImage& base, const QRectF& rect, std::optional<ObscureSettings> settings, double width = 8) {
    return ImageOps::render(base, {coverMark(rect, settings, width)});
}

// Noise inside `region`, pure red outside it.
QImage noiseOnlyIn(const QRect& region, QSize size) {
    QImage image = filled(size.width(), size.height(), Qt::red);
    QRandomGenerator random(3);
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            image.setPixelColor(x, y, QColor(int(random.bounded(200)), int(random.bounded(256)), 255));
    return image;
}

double meanNeighbourDifference(const QImage& image, const QRect& area) {
    double total = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x, ++count)
            total += std::abs(qGreen(image.pixel(x, y)) - qGreen(image.pixel(x + 1, y)));
    return total / count;
}

}  // namespace

TEST(Covers, ChangeNothingOutsideTheirRegionAndAreOpaqueInside) {
    const QImage base = fixtures::noise(300, 200);
    const QRect region(40, 30, 150, 100);
    for (const auto& settings : {std::optional(frosted), std::optional(soft), std::optional(pixel(12)),
                                 std::optional<ObscureSettings>()}) {
        const QImage image = covered(base, region, settings);
        EXPECT_TRUE(region.contains(test::changedArea(base, image)));
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 255);
    }
}

TEST(Covers, RoundFractionalRegionsOutwardClipThemToTheImageAndSkipThemOutsideIt) {
    const QImage base = fixtures::noise(80, 60);
    EXPECT_EQ(test::changedArea(base, covered(base, QRectF(10.4, 10.6, 20.2, 5.1), soft)), QRect(10, 10, 21, 6));
    EXPECT_EQ(test::changedArea(base, covered(base, QRectF(50.5, -20, 100, 40.2), soft)), QRect(50, 0, 30, 21));
    EXPECT_EQ(covered(base, QRectF(100, 10, 50, 50), frosted), base);
    EXPECT_EQ(covered(base, QRectF(-60, -60, 50, 50), pixel(8)), base);
    EXPECT_EQ(covered(base, QRectF(20, 20, 0, 30), soft), base) << "a region without width";
}

TEST(Covers, BlurSmoothsDetailWithoutBlocksOrDarkEdges) {
    const QImage noise = fixtures::noise(240, 160);
    const QRect region(20, 20, 200, 120);
    const QImage blurred = covered(noise, region, soft);
    EXPECT_LT(meanNeighbourDifference(blurred, region.adjusted(12, 12, -12, -12)), 3.0);
    EXPECT_GT(meanNeighbourDifference(noise, region), 50.0);

    // Edge pixels repeat beyond the border, so a white image stays white to its edges.
    const QImage white = filled(120, 90, Qt::white);
    const QImage edges = covered(white, QRectF(0, 0, 120, 90), soft);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) ASSERT_GE(qRed(edges.pixel(x, y)), 254) << x << "," << y;
}

TEST(Covers, PixelBlocksAreStrengthWideOnAGridFixedToTheImage) {
    // Block edges lie 150 pixels from the left and from the bottom edge, then every 10 pixels.
    const QImage base = fixtures::noise(400, 300);
    const QRect region(100, 100, 200, 150);
    const QImage image = covered(base, region, pixel(10));
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) {
            const QPoint blockCorner(x - x % 10, y - y % 10);
            ASSERT_EQ(image.pixel(x, y), image.pixel(blockCorner)) << x << "," << y;
        }
    EXPECT_NE(image.pixel(105, 105), image.pixel(115, 105));
    EXPECT_NE(image.pixel(105, 105), image.pixel(105, 115));
}

TEST(Covers, PixelBlocksAtTheEdgeTakeOnlyPixelsInsideTheRegion) {
    // Blocks of 24 straddle every edge of this region; before sampling was
    // clamped they read outside it and came out transparent.
    for (const QRect region : {QRect(95, 95, 37, 23), QRect(190, 150, 50, 50)}) {
        const QImage base = noiseOnlyIn(region, {240, 200});
        const QImage image = covered(base, region, pixel(24));
        for (int y = region.top(); y <= region.bottom(); ++y)
            for (int x = region.left(); x <= region.right(); ++x) {
                const QColor color = image.pixelColor(x, y);
                ASSERT_EQ(color.alpha(), 255) << x << "," << y;
                ASSERT_NE(color, QColor(Qt::red)) << x << "," << y << " came from outside the region";
            }
    }
}

TEST(Covers, StrengthIsClampedFromOneToNinetySix) {
    const QImage base = fixtures::noise(260, 200);
    const QRect region(10, 10, 240, 180);
    EXPECT_EQ(covered(base, region, pixel(0)), covered(base, region, pixel(1)));
    EXPECT_EQ(covered(base, region, pixel(1)), base) << "blocks of one pixel change nothing";
    EXPECT_EQ(covered(base, region, ObscureSettings{ObscureStyle::soft, 200, 0}),
              covered(base, region, ObscureSettings{ObscureStyle::soft, 96, 0}));
    EXPECT_NE(covered(base, region, ObscureSettings{ObscureStyle::soft, 90, 0}),
              covered(base, region, ObscureSettings{ObscureStyle::soft, 96, 0}));
}

TEST(Covers, FrostedWashIsWhiteAndClampedToNinetyPercent) {
    const QImage black = filled(100, 100, Qt::black);
    const QRect region(10, 10, 80, 80);
    const auto washed = [&](double opacity) {
        return covered(black, region, ObscureSettings{ObscureStyle::frosted, 24, opacity});
    };
    EXPECT_NEAR(washed(1.0).pixelColor(50, 50).red(), 0.9 * 255, 1.5);
    EXPECT_EQ(washed(1.0), washed(5.0));
    EXPECT_NEAR(washed(0.28).pixelColor(50, 50).red(), 0.28 * 255, 1.5);
    EXPECT_EQ(washed(-1), covered(black, region, soft)) << "a negative wash is none, like soft";
    EXPECT_EQ(washed(0), covered(black, region, ObscureSettings{ObscureStyle::soft, 24, 0.7}));
}

TEST(Covers, BlurCoversHaveRoundedCornersAndPixelCoversSquareOnes) {
    const QImage base = fixtures::noise(100, 100);
    const QRect region(20, 20, 60, 60);
    EXPECT_EQ(covered(base, region, soft).pixel(20, 20), base.pixel(20, 20)) << "outside the rounded corner";
    EXPECT_NE(covered(base, region, soft).pixel(24, 24), base.pixel(24, 24));
    // The corner pixel belongs to a whole block, like its neighbour.
    for (const auto& settings : {std::optional(pixel(8)), std::optional<ObscureSettings>()}) {
        const QImage image = covered(base, region, settings);
        EXPECT_EQ(image.pixel(20, 20), image.pixel(21, 21));
        EXPECT_NE(image.pixel(21, 21), base.pixel(21, 21));
    }
}

TEST(Covers, WithoutSettingsArePixelBlocksSizedByTheLineWidth) {
    const QImage base = fixtures::noise(300, 300);
    const QRect region(0, 0, 300, 300);
    for (const auto& [width, block] : {std::pair{8.0, 32.0}, std::pair{1.0, 12.0}, std::pair{40.0, 96.0}})
        EXPECT_EQ(covered(base, region, std::nullopt, width), covered(base, region, pixel(block))) << width;
}

TEST(Covers, ReadOnlyTheBaseNeverOtherMarks) {
    const QImage base = fixtures::noise(200, 120);
    const Mark redact = test::makeMark(MarkTool::redact, {{0, 0}, {200, 120}});
    const Mark cover = coverMark(QRectF(50, 20, 100, 80), pixel(10));
    const QImage image = ImageOps::render(base, {redact, cover});
    EXPECT_EQ(image.pixel(100, 60), ImageOps::render(base, {cover}).pixel(100, 60));
}
