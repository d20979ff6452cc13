#include "document/ImageOps.h"
#include "platform/ShotError.h"
#include "tests/document/MarkFixtures.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;
using test::filled;
using test::makeMark;

namespace {

bool isDark(QRgb pixel) { return qRed(pixel) < 128; }

// The box of the pixels inside a disc that are lighter than the disc's ink.
QRect lightPixelsWithin(const QImage& image, QPointF centre, double radius) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool inside = std::hypot(x + 0.5 - centre.x(), y + 0.5 - centre.y()) < radius;
            if (inside && qRed(image.pixel(x, y)) > 128) box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The box of the pixels more than half covered by dark ink.
QRect darkArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isDark(image.pixel(x, y))) area |= QRect(x, y, 1, 1);
    return area;
}

}  // namespace

TEST(MarkRendering, ArrowHeadsAreFourWidthsLongButAtLeastFifteen) {
    // A horizontal arrow: its head reaches L·sin(0.5) + width/2 above and below the shaft.
    for (const auto& [width, length] : {std::pair{2.0, 15.0}, std::pair{8.0, 32.0}}) {
        const Mark arrow = makeMark(MarkTool::arrow, {{40, 100}, {240, 100}}, {0, 0, 0, 1}, width);
        const QImage image = ImageOps::render(filled(300, 200, Qt::white), {arrow});
        const double expected = length * std::sin(0.5) + width / 2;
        const QRect ink = darkArea(image);
        EXPECT_NEAR(std::max(100 - ink.top(), ink.bottom() + 1 - 100), expected, 1.0) << "width " << width;
    }
}

TEST(MarkRendering, CounterDiscsGrowWithTheFontButNeverBelowThirtySix) {
    for (const auto& [fontSize, diameter] : {std::pair{20.0, 36.0}, std::pair{64.0, 89.6}}) {
        Mark counter = makeMark(MarkTool::counter, {{100, 100}});
        counter.fontSize = fontSize;
        const QImage image = ImageOps::render(filled(200, 200, Qt::white), {counter});
        const QRect disc = darkArea(image);
        EXPECT_NEAR(disc.width(), diameter, 1.5) << "font size " << fontSize;
        EXPECT_NEAR(disc.height(), diameter, 1.5) << "font size " << fontSize;
        EXPECT_NEAR(QRectF(disc).center().x(), 100, 0.5);
        EXPECT_NEAR(QRectF(disc).center().y(), 100, 0.5);
    }
}

TEST(MarkRendering, CounterNumbersAreWhiteAndCentredOnThePoint) {
    Mark counter = makeMark(MarkTool::counter, {{100, 90}}, {0.1, 0.1, 0.5, 1});
    counter.fontSize = 40;
    counter.text = QStringLiteral("8");
    const QImage image = ImageOps::render(filled(200, 200, Qt::black), {counter});
    const QRect digit = lightPixelsWithin(image, {100, 90}, 28);
    ASSERT_FALSE(digit.isEmpty());
    const double digitSize = 40 * 0.72;
    EXPECT_NEAR(QRectF(digit).center().x(), 100, 2.0);
    EXPECT_NEAR(QRectF(digit).center().y(), 90, 0.15 * digitSize);
    EXPECT_GT(digit.height(), 0.55 * digitSize);
    EXPECT_LT(digit.height(), 0.85 * digitSize);
    const QRgb middle = image.pixel(digit.center());
    EXPECT_GT(qGreen(middle) + qBlue(middle), 200) << "the number is white, not the ink";
}

TEST(MarkRendering, HighlightMultipliesTheInkAtThirtyTwoPercent) {
    QImage base = filled(200, 100, Qt::white);
    for (int y = 0; y < 100; ++y)
        for (int x = 100; x < 200; ++x) base.setPixelColor(x, y, Qt::black);
    const Ink ink = Ink::palette[3];
    const QImage image = ImageOps::render(base, {makeMark(MarkTool::highlight, {{20, 20}, {180, 80}}, ink)});

    const QColor overWhite = image.pixelColor(50, 50);
    EXPECT_NEAR(overWhite.red(), 255 * (1 - 0.32 * (1 - ink.r)), 2);
    EXPECT_NEAR(overWhite.green(), 255 * (1 - 0.32 * (1 - ink.g)), 2);
    EXPECT_NEAR(overWhite.blue(), 255 * (1 - 0.32 * (1 - ink.b)), 2);
    EXPECT_EQ(image.pixelColor(150, 50), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::white)) << "outside the rectangle";
}

TEST(MarkRendering, SpotlightDarkensOnlyOutsideItsRoundedRectangle) {
    // The rectangle (150, -50) to (250, 50) lies partly outside the 200 × 100 image.
    const QImage image =
        ImageOps::render(filled(200, 100, Qt::white), {makeMark(MarkTool::spotlight, {{150, -50}, {250, 50}})});
    const int shaded = int(std::lround(255 * 0.42));
    const QRect clear(160, 0, 40, 40);  // inside, away from the rounded corners
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const int red = image.pixelColor(x, y).red();
            if (clear.contains(x, y)) {
                EXPECT_EQ(red, 255) << x << "," << y;
            } else if (x < 149 || y > 50) {
                EXPECT_NEAR(red, shaded, 1) << x << "," << y;
            }
        }
    EXPECT_LT(image.pixelColor(150, 49).red(), 200) << "the corner is rounded";
}

TEST(MarkRendering, DrawsMarksInListOrder) {
    Mark text = makeMark(MarkTool::text, {{30, 30}}, {1, 1, 1, 1});
    text.text = QStringLiteral("机密");
    text.fontSize = 40;
    const Mark redact = makeMark(MarkTool::redact, {{20, 20}, {180, 100}});
    const QImage base = filled(200, 120, Qt::black);

    const QImage covered = ImageOps::render(base, {text, redact});
    const QImage redactOnly = ImageOps::render(base, {redact});
    EXPECT_EQ(covered, redactOnly) << "a redact after the text hides it";
    EXPECT_EQ(redactOnly.pixelColor(100, 60), QColor(20, 20, 20));

    const QImage visible = ImageOps::render(base, {redact, text});
    EXPECT_TRUE(test::differsWithin(visible, redactOnly, QRect(20, 20, 160, 80))) << "a text after the redact stays";
}

TEST(MarkRendering, NoMarksAndMarksWithoutGeometryLeaveTheImageUnchanged) {
    const QImage base = fixtures::noise(120, 90);
    QList<Mark> empty;
    for (MarkTool tool : allMarkTools) {
        Mark mark = makeMark(tool, {});
        mark.text = QStringLiteral("7");
        if (tool == MarkTool::pixelate) mark.obscure = ObscureSettings{};
        empty.append(mark);
    }
    empty.append(makeMark(MarkTool::pen, {{40, 40}}));
    empty.append(makeMark(MarkTool::move, {{10, 10}, {80, 80}}));
    empty.append(makeMark(MarkTool::crop, {{10, 10}, {80, 80}}));
    EXPECT_EQ(ImageOps::render(base, empty), base);

    QImage translucent = fixtures::noise(40, 30).convertToFormat(QImage::Format_ARGB32);
    translucent.setPixelColor(5, 5, QColor(200, 10, 10, 90));
    EXPECT_EQ(ImageOps::render(translucent, {}), translucent.convertToFormat(ImageOps::surfaceFormat));
}

TEST(MarkRendering, TextStartsAtItsPointAndBreaksLines) {
    Mark text = makeMark(MarkTool::text, {{50, 40}});
    text.fontSize = 30;
    text.text = QStringLiteral("标注");
    const QRect oneLine = darkArea(ImageOps::render(filled(400, 300, Qt::white), {text}));
    text.text = QStringLiteral("标注\n第二行");
    const QRect twoLines = darkArea(ImageOps::render(filled(400, 300, Qt::white), {text}));

    EXPECT_GE(oneLine.left(), 50);
    EXPECT_GE(oneLine.top(), 40);
    EXPECT_LT(oneLine.left(), 50 + 6);
    EXPECT_LT(oneLine.top(), 40 + 15);
    EXPECT_NEAR(oneLine.height(), 30 * 0.9, 6) << "glyphs as tall as the font size in pixels";
    EXPECT_GT(twoLines.height(), oneLine.height() + 30) << "the second line lies below the first";
}

TEST(MarkRendering, ShapesStrokeTheirRectangleInTheInk) {
    const QImage image = ImageOps::render(filled(200, 200, Qt::white),
                                          {makeMark(MarkTool::rectangle, {{150, 150}, {50, 50}}, {0, 0, 0, 1}, 4)});
    EXPECT_EQ(darkArea(image), QRect(48, 48, 104, 104)) << "the stroke is centred on the rectangle";
    EXPECT_EQ(image.pixelColor(100, 100), QColor(Qt::white)) << "a rectangle is not filled";

    const QImage ellipse = ImageOps::render(filled(200, 200, Qt::white),
                                            {makeMark(MarkTool::ellipse, {{50, 50}, {150, 150}}, {0, 0, 0, 1}, 4)});
    EXPECT_EQ(ellipse.pixelColor(52, 52), QColor(Qt::white)) << "the corner stays clear";
    EXPECT_TRUE(isDark(ellipse.pixel(50, 100)));
}

TEST(MarkRendering, RefusesImagesBeyondTheLimits) {
    EXPECT_THROW(ImageOps::render(QImage(32001, 1, ImageOps::surfaceFormat), {}), ShotError);
}
