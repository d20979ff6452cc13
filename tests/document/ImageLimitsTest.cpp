#include "document/ImageOps.h"
#include "tests/document/DocumentFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavero;

TEST(SurfaceLimits, AllowUpToFortyMillionPixelsAndThirtyTwoThousandASide) {
    const QImage surface = ImageOps::context(32000, 1250);
    EXPECT_EQ(surface.size(), QSize(32000, 1250));
    EXPECT_EQ(surface.format(), ImageOps::surfaceFormat);
    EXPECT_EQ(surface.pixel(31999, 1249), 0u) << "a new surface is transparent";
    EXPECT_EQ(ImageOps::context(1, 32000).size(), QSize(1, 32000));
}

TEST(SurfaceLimits, RefuseLargerOrEmptySurfacesWithTheSizeSentence) {
    for (const QSize size : {QSize(32000, 1251), QSize(32001, 1), QSize(0, 10), QSize(-5, 10)})
        test::expectShotError([&] { ImageOps::context(size.width(), size.height()); },
                              QStringLiteral("图片过大。请缩小截图区域，或分成两张长图。"));
}

TEST(CapturePixelSize, RoundsHalvesAwayFromZeroKeepsTwoPixelsAndIgnoresUnusableScales) {
    EXPECT_EQ(ImageOps::capturePixelSize({100.25, 50.25}, 2), QSize(201, 101));
    EXPECT_EQ(ImageOps::capturePixelSize({0, 0.4}, 1), QSize(2, 2));
    const double unusable[] = {0, -2, std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    for (double scale : unusable) EXPECT_EQ(ImageOps::capturePixelSize({100.5, 50}, scale), QSize(101, 50)) << scale;
}
