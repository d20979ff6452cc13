#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::filled;

namespace {

QColor opaque(const Ink& ink) { return QColor(ink.color().rgb()); }

int channelDistance(const QColor& a, const QColor& b) {
    return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

int lightness(const QImage& image, int x, int y) {
    const QColor color = image.pixelColor(x, y);
    return color.red() + color.green() + color.blue();
}

}  // namespace

TEST(BackgroundFrame, GradientsRunFromTheFirstStopToTheLast) {
    const QImage picture = filled(240, 500, Qt::gray);
    const QList<Ink> stops = colors(FramePreset::sky);
    const QImage diagonal = ImageOps::framed(picture, FrameOptions{FramePreset::sky, 80, 20}, 1);
    EXPECT_LE(channelDistance(diagonal.pixelColor(0, 0), opaque(stops.first())), 2);
    EXPECT_LE(channelDistance(diagonal.pixelColor(399, 659), opaque(stops.last())), 2);
    const QImage vertical =
        ImageOps::framed(picture, FrameOptions{FramePreset::sky, 80, 20, GradientDirection::vertical}, 1);
    EXPECT_LE(channelDistance(vertical.pixelColor(399, 0), opaque(stops.first())), 2);
    EXPECT_LE(channelDistance(vertical.pixelColor(0, 659), opaque(stops.last())), 2);
    EXPECT_LE(channelDistance(vertical.pixelColor(10, 330), opaque(stops[1])), 2);
}

TEST(BackgroundFrame, SolidPresetsAreEvenInEveryDirection) {
    for (FramePreset preset : {FramePreset::mint, FramePreset::night}) {
        EXPECT_FALSE(isGradient(preset));
        for (GradientDirection direction : allGradientDirections) {
            const QImage frame =
                ImageOps::framed(filled(200, 100, Qt::gray), FrameOptions{preset, 96, 20, direction}, 1);
            const QColor expected = opaque(colors(preset).first());
            for (const QPoint corner : {QPoint(0, 0), QPoint(391, 0), QPoint(0, 291), QPoint(391, 291)})
                EXPECT_EQ(frame.pixelColor(corner), expected) << rawValue(preset).toStdString();
        }
    }
}

TEST(BackgroundFrame, ShadowFallsSoftlyBelowTheCard) {
    const QImage frame = ImageOps::framed(filled(200, 100, Qt::gray), FrameOptions{FramePreset::mint, 96, 20}, 1);
    const int background = lightness(frame, 5, 5);
    const int below = lightness(frame, 196, 96 + 100 + 4);
    const int above = lightness(frame, 196, 96 - 5);
    EXPECT_LT(below, background - 30);
    EXPECT_LT(below, above) << "the shadow is moved down";
    EXPECT_LT(above, background);
    EXPECT_LT(lightness(frame, 196, 96 + 100 + 20), background) << "the shadow is blurred outward";
    EXPECT_EQ(lightness(frame, 196, 96 + 100 + 60), background);
}

TEST(BackgroundFrame, ClampsTheRadiusToACapsuleAndRadiusAndPaddingAtZero) {
    const QImage picture = filled(200, 100, Qt::red);
    const QImage capsule = ImageOps::framed(picture, FrameOptions{FramePreset::night, 50, 1000}, 1);
    EXPECT_EQ(capsule.pixelColor(50 + 50, 50 + 3), QColor(Qt::red)) << "on a circle of radius 50";
    EXPECT_EQ(capsule.pixelColor(50 + 5, 50 + 50), QColor(Qt::red));
    EXPECT_NE(capsule.pixelColor(50 + 10, 50 + 10), QColor(Qt::red));

    const QImage square = ImageOps::framed(picture, FrameOptions{FramePreset::night, 50, -8}, 1);
    EXPECT_EQ(square.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(square.pixelColor(249, 149), QColor(Qt::red));

    const QImage noise = fixtures::noise(120, 80);
    EXPECT_EQ(ImageOps::framed(noise, FrameOptions{FramePreset::sea, -30, 0}, 1), noise) << "no margin";
}

TEST(BackgroundFrame, TransparentPicturesShowTheWhiteCard) {
    const QImage frame =
        ImageOps::framed(filled(100, 100, Qt::transparent), FrameOptions{FramePreset::night, 20, 10}, 1);
    EXPECT_EQ(frame.pixelColor(70, 70), QColor(Qt::white));
}

TEST(BackgroundFrame, ShortFormIsMintOrNightWithSixteenPixelCorners) {
    const QImage picture = filled(300, 200, Qt::red);
    const QImage light = ImageOps::framed(picture);
    ASSERT_EQ(light.size(), QSize(428, 328));
    EXPECT_EQ(light.pixelColor(0, 0), opaque(colors(FramePreset::mint).first()));
    EXPECT_EQ(ImageOps::framed(picture, 10, true).pixelColor(0, 0), opaque(colors(FramePreset::night).first()));
    EXPECT_NE(light.pixelColor(64 + 2, 64 + 2), QColor(Qt::red)) << "rounded";
    EXPECT_EQ(light.pixelColor(64 + 5, 64 + 5), QColor(Qt::red)) << "by 16 pixels, not more";
}

TEST(BackgroundFrame, RefusesCanvasesBeyondTheLimits) {
    const QImage wide(31900, 10, ImageOps::surfaceFormat);
    EXPECT_THROW(ImageOps::framed(wide, FrameOptions{FramePreset::mint, 51, 0}, 1), ShotError);
    EXPECT_EQ(ImageOps::framed(wide, FrameOptions{FramePreset::mint, 50, 0}, 1).width(), 32000);
    EXPECT_THROW(ImageOps::framed(wide, FrameOptions{FramePreset::mint, 1e300, 0}, 1), ShotError);
}

TEST(FramePreview, FitsEightHundredSixtyPixelsWithAScaledMargin) {
    const QImage large = ImageOps::framePreview(filled(3000, 2000, Qt::gray), FrameOptions{});
    EXPECT_EQ(large.size(), QSize(860, 590));
    EXPECT_EQ(large.pixelColor(26 + 400, 26 + 269), QColor(Qt::gray)) << "picture of 808 × 538 at a margin of 26";
    EXPECT_NE(large.pixelColor(20, 295), QColor(Qt::gray));

    const QImage picture = fixtures::noise(300, 200);
    const QImage small = ImageOps::framePreview(picture, FrameOptions{});
    EXPECT_EQ(small.size(), QSize(492, 392));
    EXPECT_EQ(small, ImageOps::framed(picture, FrameOptions{}, 1)) << "small pictures preview at full size";

    const QImage negative = ImageOps::framePreview(filled(900, 100, Qt::gray), FrameOptions{FramePreset::mint, -500});
    EXPECT_EQ(negative.size(), QSize(860, 95)) << "a negative margin neither frames nor enlarges";
}

// The background sheet checks the full-size result before it offers to apply
// a frame it only previewed on a reduced copy.
TEST(BackgroundFrame, TheSizeOfAFrameIsKnownWithoutDrawingIt) {
    const FrameOptions defaults;
    EXPECT_EQ(ImageOps::framedSize(QSize(300, 200), defaults, 1), QSize(492, 392));
    EXPECT_EQ(ImageOps::framedSize(QSize(300, 200), defaults, 1),
              ImageOps::framed(fixtures::noise(300, 200), defaults, 1).size());
    EXPECT_EQ(ImageOps::framedSize(QSize(100, 31900), FrameOptions{FramePreset::mint, 24, 0}, 1), QSize(148, 31948));
    for (const QSize picture : {QSize(100, 31900), QSize(6000, 6600)})
        EXPECT_THROW(ImageOps::framedSize(picture, defaults, 1), ShotError) << picture.width() << " × " << picture.height();
}

// The sheet reduces a large picture once and draws every later preview from
// that copy: same sizes as from the full picture, and nearly the same pixels.
TEST(FramePreview, AReducedCopyGivesTheSamePreviews) {
    const QImage large = fixtures::screenshotLike(3000, 2000);
    const QImage copy = ImageOps::previewSource(large);
    EXPECT_EQ(copy.size(), QSize(860, 573));
    EXPECT_EQ(ImageOps::previewSource(copy).cacheKey(), copy.cacheKey()) << "small enough already";

    for (const double padding : {0.0, 24.0, 96.0, 240.0}) {
        const FrameOptions options{FramePreset::sky, padding, 20};
        const QImage direct = ImageOps::framePreview(large, options);
        const QImage fromCopy = ImageOps::framePreview(large.size(), copy, options);
        ASSERT_EQ(fromCopy.size(), direct.size()) << padding;
        int worst = 0;
        long long total = 0, samples = 0;
        for (int y = 0; y < direct.height(); y += 7)
            for (int x = 0; x < direct.width(); x += 7) {
                const int distance = channelDistance(direct.pixelColor(x, y), fromCopy.pixelColor(x, y));
                worst = std::max(worst, distance);
                total += distance;
                ++samples;
            }
        EXPECT_LT(worst, 80) << "padding " << padding;
        EXPECT_LT(double(total) / double(samples), 3.0) << "padding " << padding;
    }
}
