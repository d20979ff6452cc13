#include "selftests/SelfTestFixtures.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tavero;
using Pixel = std::array<std::uint8_t, 4>;

TEST(SelfTestFixtures, PatternFollowsItsFormula) {
    const QImage pattern = selftests::pattern(240, 900, 57);
    ASSERT_EQ(pattern.size(), QSize(240, 900));
    EXPECT_EQ(selftests::pixel(pattern, 40, 40), (Pixel{30, 123, 81, 255}));
    // R = 30 + (128·73 + 26·37 + 57) mod 190, G = (3R + 69·11) mod 235, B = (R + 21·17) mod 220.
    EXPECT_EQ(selftests::pixel(pattern, 239, 899), (Pixel{133, 218, 50, 255}));
}

TEST(SelfTestFixtures, PixelReadsAnyFormatAndRefusesOutsideTheImage) {
    QImage rgb(4, 3, QImage::Format_RGB888);
    rgb.fill(QColor(10, 20, 30));
    rgb.setPixelColor(3, 2, QColor(200, 100, 50));
    EXPECT_EQ(selftests::pixel(rgb, 3, 2), (Pixel{200, 100, 50, 255}));
    EXPECT_THROW(selftests::pixel(rgb, 4, 0), std::out_of_range);
    EXPECT_THROW(selftests::pixel(rgb, 0, -1), std::out_of_range);
}

TEST(SelfTestFixtures, LocalContrastSeparatesSharpFromFlat) {
    QImage flat(200, 200, QImage::Format_RGBA8888_Premultiplied);
    flat.fill(QColor(90, 90, 90));
    EXPECT_EQ(selftests::localContrast(flat), 0.0);
    QImage columns = flat;
    for (int x = 0; x < 200; x += 2) QPainter(&columns).fillRect(x, 0, 1, 200, Qt::white);
    EXPECT_EQ(selftests::localContrast(columns), 255.0 - 90.0);
}

TEST(SelfTestFixtures, TextPageHasAHundredDarkLinesOnWhite) {
    const QImage page = selftests::textPage();
    ASSERT_EQ(page.size(), QSize(1440, 5600));
    const auto inkInRows = [&](int top, int bottom) {
        int ink = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 1440; ++x) ink += selftests::pixel(page, x, y)[0] < 128;
        return ink;
    };
    EXPECT_GT(inkInRows(18, 50), 500) << "line 1";
    EXPECT_GT(inkInRows(5463, 5495), 500) << "line 100";
    EXPECT_EQ(inkInRows(5520, 5600), 0) << "nothing below the last line";
    EXPECT_EQ(inkInRows(0, 10), 0) << "nothing above the first line";
    EXPECT_EQ(selftests::pixel(page, 1439, 5599), (Pixel{255, 255, 255, 255}));
}
