#include "camera/RecordingCompositor.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavero;

namespace {

RecordingEffects framed(double padding = 0.06, double blur = 24) { return {true, true, 1.65, padding, blur}; }
RecordingEffects plain() { return {true, false, 1.65, 0.06, 24}; }

// Red counts columns and green counts rows, two pixels per step, so a pixel
// of the output tells which source position it shows.
QImage coordinates(int width = 512, int height = 256) {
    QImage image(width, height, RecordingCompositor::frameFormat);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x / 2, y / 2, 128));
    return image;
}

QImage filled(QColor colour, int width, int height) {
    QImage image(width, height, RecordingCompositor::frameFormat);
    image.fill(colour);
    return image;
}

CameraPose pose(double x, double y, double zoom) { return {0, x, y, zoom, x, y}; }

// The source position a coordinates() pixel stands for.
QPointF shownAt(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return {2.0 * qRed(pixel) + 1, 2.0 * qGreen(pixel) + 1};
}

double variance(const QImage& image, const QRect& area) {
    double sum = 0, squares = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const double v = qGray(image.pixel(x, y));
            sum += v;
            squares += v * v;
        }
    const double count = double(area.width()) * area.height();
    return squares / count - (sum / count) * (sum / count);
}

}  // namespace

TEST(RecordingCompositorTest, BorderAndOutputSizeFollowThePaddingWithinItsClamp) {
    struct Case {
        QSize source;
        RecordingEffects effects;
        int inset;
    };
    const double notANumber = std::numeric_limits<double>::quiet_NaN();
    for (const Case& c : {Case{{1920, 1080}, framed(), 64}, Case{{1280, 720}, framed(), 44},
                          Case{{320, 240}, framed(), 14}, Case{{200, 200}, framed(0.125), 26},
                          Case{{1000, 1000}, framed(0.5), 140}, Case{{1000, 1000}, framed(0), 30},
                          Case{{1000, 1000}, framed(notANumber), 30}, Case{{1920, 1080}, plain(), 0}}) {
        EXPECT_EQ(RecordingCompositor::inset(c.source, c.effects), c.inset) << c.source.width();
        EXPECT_EQ(RecordingCompositor::outputSize(c.source, c.effects), c.source + QSize(2 * c.inset, 2 * c.inset));
    }
    EXPECT_EQ(RecordingCompositor(QSize(1920, 1080), framed()).outputSize(), QSize(2048, 1208));
}

TEST(RecordingCompositorTest, ThePoseChoosesTheVisiblePartWithATopLeftOrigin) {
    const QImage source = coordinates();
    const RecordingCompositor compositor(source.size(), plain());
    EXPECT_EQ(compositor.frame(source, pose(0.5, 0.5, 1)), source) << "the whole frame, untouched";

    // Zoom 2 in the middle shows (128, 64) to (384, 192) stretched to the frame.
    const QImage middle = compositor.frame(source, pose(0.5, 0.5, 2));
    ASSERT_EQ(middle.size(), source.size());
    for (const QPoint at : {QPoint(0, 0), QPoint(256, 128), QPoint(511, 255)}) {
        const QPointF expected(128 + (at.x() + 0.5) / 2, 64 + (at.y() + 0.5) / 2);
        EXPECT_NEAR(shownAt(middle, at.x(), at.y()).x(), expected.x(), 1.5) << at.x();
        EXPECT_NEAR(shownAt(middle, at.x(), at.y()).y(), expected.y(), 1.5) << at.y();
    }
    // A pose at the top-left corner shows the top-left quarter, not the bottom-left one.
    const QImage corner = compositor.frame(source, pose(0, 0, 2));
    EXPECT_NEAR(shownAt(corner, 0, 0).y(), 0.25, 1.5);
    EXPECT_NEAR(shownAt(corner, 511, 255).y(), 128, 1.5);

    // A source of another size is shown whole, stretched to the frame.
    const QImage half = coordinates(256, 128).scaled(256, 128);
    const QImage stretched = compositor.frame(half, pose(0.5, 0.5, 1));
    ASSERT_EQ(stretched.size(), source.size());
    EXPECT_NEAR(qRed(stretched.pixel(511, 255)), qRed(half.pixel(255, 127)), 1);
}

TEST(RecordingCompositorTest, TheFramedLookSetsThePictureOnABlurredShadowedBackdrop) {
    const QImage source = fixtures::noise(640, 360);
    const RecordingCompositor compositor(source.size(), framed());
    const int inset = 22;
    const QImage frame = compositor.frame(source, pose(0.5, 0.5, 1));
    ASSERT_EQ(frame.size(), QSize(684, 404));
    ASSERT_EQ(frame.format(), RecordingCompositor::frameFormat);

    EXPECT_EQ(frame.copy(inset + 10, inset, 620, 360), source.copy(10, 0, 620, 360).convertToFormat(frame.format()))
        << "the inside of the frame is the picture, copied";
    EXPECT_LT(variance(frame, QRect(0, 0, 684, 16)), variance(source, QRect(0, 0, 640, 16)) / 20)
        << "the border is a blur of the picture";
    EXPECT_NE(frame.pixel(inset, inset), source.pixel(0, 0)) << "the corner is rounded off";

    // A flat grey source shows the shadow alone: darkest at the frame's
    // edge, about half its 0.28 there, gone far from it.
    const RecordingCompositor flatLook(QSize(640, 360), framed());
    const QImage flat = flatLook.frame(filled(QColor(200, 200, 200), 640, 360), pose(0.5, 0.5, 1));
    const int edge = qGray(flat.pixel(320, inset - 1)), far = qGray(flat.pixel(320, 0));
    EXPECT_NEAR(far, 200, 6);
    EXPECT_NEAR(edge, 200 * (1 - 0.14), 10);
    EXPECT_LT(qGray(flat.pixel(320, inset - 1)), qGray(flat.pixel(320, inset - 6)));
}

TEST(RecordingCompositorTest, AStillGivenForTheBackdropReplacesThePicture) {
    const QImage red = filled(Qt::red, 300, 200);
    const RecordingCompositor compositor(QSize(640, 360), framed(), red);
    const QImage frame = compositor.frame(filled(Qt::blue, 640, 360), pose(0.5, 0.5, 1.5));
    EXPECT_GT(qRed(frame.pixel(2, 2)), 240);
    EXPECT_EQ(qBlue(frame.pixel(2, 2)), 0);
    EXPECT_EQ(frame.pixel(342, 202), QColor(Qt::blue).rgb()) << "the zoomed picture inside";
}

TEST(RecordingCompositorTest, TheBackgroundStillIsReducedAndBlurred) {
    const QImage wide = RecordingCompositor::backgroundSnapshot(fixtures::noise(2560, 1440));
    EXPECT_EQ(wide.size(), QSize(1280, 720));
    const QImage narrow = RecordingCompositor::backgroundSnapshot(fixtures::noise(800, 600));
    EXPECT_EQ(narrow.size(), QSize(800, 600));
    EXPECT_LT(variance(narrow, narrow.rect()), variance(fixtures::noise(800, 600), QRect(0, 0, 800, 600)) / 20);
    EXPECT_TRUE(RecordingCompositor::backgroundSnapshot(QImage()).isNull());
}

TEST(RecordingCompositorTest, FramesDrawnIntoReusedMemoryMatchFreshOnesFrameAfterFrame) {
    // 1080p halves the backdrop twice before blurring it: each half is read
    // while the next is made.
    const RecordingCompositor compositor({1920, 1080}, framed());
    RecordingCompositor::Scratch scratch;
    QImage canvas(compositor.outputSize(), RecordingCompositor::frameFormat);
    const uchar* memory = canvas.constBits();
    for (const quint32 seed : {1u, 2u}) {
        const QImage source = fixtures::noise(1920, 1080, seed).convertToFormat(RecordingCompositor::frameFormat);
        const CameraPose zoomed = pose(0.6, 0.4, 1.5);
        compositor.frameInto(source, zoomed, canvas, scratch);
        EXPECT_EQ(canvas, compositor.frame(source, zoomed)) << "picture " << seed;
        EXPECT_EQ(canvas.constBits(), memory);
    }
    EXPECT_GE(scratch.halves.size(), 2u);
}
