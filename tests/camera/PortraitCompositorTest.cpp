#include "camera/PortraitCompositor.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <limits>

using namespace tavero;

namespace {

QImage filled(QColor colour, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Left half red, right half green: tells a mirrored picture from a plain one.
QImage halves(int width = 640, int height = 360) {
    QImage image = filled(Qt::red, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x) image.setPixel(x, y, qRgb(0, 255, 0));
    return image;
}

// The portrait laid over a copy of `screen` (RGB32), as a take lays it over
// each picture.
QImage framed(const QImage& camera, const QImage& screen, const PortraitLayout& layout) {
    QImage picture = screen.copy();
    PortraitCompositor::paint(camera, picture, layout);
    return picture;
}

PortraitLayout centred(PortraitShape shape, bool mirrored = true) { return {shape, 0.5, 0.5, 0.3, false, mirrored}; }

void expectRect(const QRectF& actual, const QRectF& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

}  // namespace

TEST(PortraitLayoutTest, RectanglesFollowTheSizeRulesAndStayInsideTheFrame) {
    expectRect(centred(PortraitShape::circle).rect({1000, 600}), {350, 150, 300, 300});
    expectRect(centred(PortraitShape::square).rect({1000, 600}), {350, 150, 300, 300});
    expectRect(centred(PortraitShape::rectangle).rect({1000, 600}), {350, 215.625, 300, 168.75});
    expectRect(PortraitLayout{}.rect({1920, 1080}), {1372.8, 16.8, 441.6, 441.6});

    PortraitLayout narrow = centred(PortraitShape::square);
    narrow.width = 0.05;
    EXPECT_DOUBLE_EQ(narrow.rect({1000, 600}).width(), 120);
    narrow.width = 0.9;
    EXPECT_DOUBLE_EQ(narrow.rect({1000, 600}).width(), 390) << "0.5 wide, capped at 65 % of the height";
    narrow.width = std::numeric_limits<double>::quiet_NaN();
    EXPECT_DOUBLE_EQ(narrow.rect({1000, 600}).width(), 390);

    PortraitLayout wide;
    wide.shape = PortraitShape::rectangle;
    const QRectF low = wide.rect({3000, 400});
    EXPECT_DOUBLE_EQ(low.height(), 260);
    EXPECT_NEAR(low.width(), 462.2222, 1e-3);
}

TEST(PortraitLayoutTest, ACentrePastAnEdgeLeavesThePortraitFlushWithIt) {
    PortraitLayout layout = centred(PortraitShape::circle);
    layout.x = 1.2;
    EXPECT_DOUBLE_EQ(layout.rect({1000, 600}).x(), 700);
    layout.x = 0.5;
    layout.y = -0.3;
    EXPECT_DOUBLE_EQ(layout.rect({1000, 600}).y(), 300) << "flush with the top";
    layout.y = 1.3;
    EXPECT_DOUBLE_EQ(layout.rect({1000, 600}).y(), 0) << "flush with the bottom";
    layout.x = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(QRectF(0, 0, 1000, 600).contains(layout.rect({1000, 600})));
    EXPECT_EQ(layout.rect({0, 0}), QRectF(0, 0, 0, 0));
}

TEST(PortraitLayoutTest, ShapesKeepTheirLabelsAndRadii) {
    for (const PortraitShape shape : allPortraitShapes) EXPECT_EQ(portraitShapeFromRaw(rawValue(shape)), shape);
    EXPECT_EQ(rawValue(PortraitShape::rectangle), QStringLiteral("长方形"));
    EXPECT_FALSE(portraitShapeFromRaw(QStringLiteral("圆")));
    EXPECT_DOUBLE_EQ(PortraitCompositor::cornerRadius(PortraitShape::square, 300), 13.5);
    EXPECT_DOUBLE_EQ(PortraitCompositor::cornerRadius(PortraitShape::square, 600), 20);
    EXPECT_DOUBLE_EQ(PortraitCompositor::cornerRadius(PortraitShape::circle, 300), 150);
    PortraitLayout plain;
    plain.mirrored = false;
    EXPECT_NE(plain, PortraitLayout{});
}

TEST(PortraitCompositorTest, TheCameraFillsTheShapeInsideAWhiteRingOverTheScreen) {
    const QImage screen = filled(Qt::blue, 1000, 600);
    const QImage camera = filled(Qt::red, 640, 360);
    for (const PortraitShape shape : allPortraitShapes) {
        const QImage result = framed(camera, screen, centred(shape));
        SCOPED_TRACE(rawValue(shape).toStdString());
        ASSERT_EQ(result.size(), QSize(1000, 600));
        EXPECT_EQ(result.pixel(500, 300), qRgb(255, 0, 0));
        EXPECT_EQ(result.pixel(20, 20), qRgb(0, 0, 255));
        // Just outside the portrait's left edge (x 350) lies the ring.
        const QRgb ring = result.pixel(349, 300);
        EXPECT_GT(qGreen(ring), 180) << "white over blue at 90 %";
        EXPECT_EQ(result.pixel(345, 300), qRgb(0, 0, 255));
    }
    // The circle's corners show the screen, the square's the camera.
    EXPECT_EQ(framed(camera, screen, centred(PortraitShape::circle)).pixel(355, 155),
              qRgb(0, 0, 255));
    EXPECT_EQ(framed(camera, screen, centred(PortraitShape::square)).pixel(360, 160),
              qRgb(255, 0, 0));
}

TEST(PortraitCompositorTest, MirroringFlipsTheCameraInsideThePortrait) {
    const QImage screen = filled(Qt::blue, 1000, 600);
    const QImage plain = framed(halves(), screen, centred(PortraitShape::square, false));
    const QImage mirrored = framed(halves(), screen, centred(PortraitShape::square, true));
    EXPECT_EQ(plain.pixel(400, 300), qRgb(255, 0, 0));
    EXPECT_EQ(plain.pixel(600, 300), qRgb(0, 255, 0));
    EXPECT_EQ(mirrored.pixel(400, 300), qRgb(0, 255, 0));
    EXPECT_EQ(mirrored.pixel(600, 300), qRgb(255, 0, 0));
}

TEST(PortraitCompositorTest, FullScreenShowsTheCameraAloneAspectFilled) {
    const QImage screen = filled(Qt::blue, 1000, 600);
    PortraitLayout layout;
    layout.fullScreen = true;
    layout.mirrored = false;
    const QImage result = framed(halves(), screen, layout);
    ASSERT_EQ(result.size(), QSize(1000, 600));
    EXPECT_EQ(result.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(result.pixel(999, 599), qRgb(0, 255, 0));
    EXPECT_EQ(framed(QImage(), screen, layout).pixel(0, 0), qRgb(0, 0, 255));
}

TEST(PortraitCompositorTest, PaintingInPlaceKeepsThePicturesMemoryAndTheScreenAroundThePortrait) {
    const QImage camera = fixtures::noise(640, 480, 5).convertToFormat(QImage::Format_RGB32);
    const QImage screen = fixtures::noise(1280, 720, 6).convertToFormat(QImage::Format_RGB32);
    const PortraitLayout layout{PortraitShape::circle, 0.7, 0.3, 0.25, false, true};
    QImage frame = screen.copy();
    const uchar* memory = frame.constBits();
    PortraitCompositor::paint(camera, frame, layout);
    EXPECT_EQ(frame.constBits(), memory);
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    const QRect portrait = PortraitCompositor::target(frame.size(), layout).toAlignedRect();
    EXPECT_NE(frame.copy(portrait), screen.copy(portrait));
    // Beyond the portrait and its ring, the screen as it was.
    const QRect around = portrait.adjusted(-4, -4, 4, 4);
    qsizetype changed = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if (!around.contains(x, y) && frame.pixel(x, y) != screen.pixel(x, y)) ++changed;
    EXPECT_EQ(changed, 0);
}
