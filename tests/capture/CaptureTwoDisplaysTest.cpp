// The coordinator on an X server with two monitors side by side: DUMMY0 at
// (0, 0) and DUMMY1 at (1920, 0), each 1920 × 1080 pixels. Also run with
// QT_SCALE_FACTOR=2, where each display is 960 × 540 points.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "platform/desktop/X11ScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/TestWindows.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::CaptureHarness;
using tavero::test::grabUntil;
using tavero::test::samePixels;

namespace {

const QRect onRight(2100, 200, 300, 200);

double scale() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

// A rectangle of root pixels on the right display, in that display's points.
QRectF pointsOnRight(const QRect& pixels) {
    return {(pixels.x() - 1920) / scale(), pixels.y() / scale(), pixels.width() / scale(), pixels.height() / scale()};
}

class CaptureTwoDisplaysTest : public testing::Test {
protected:
    std::shared_ptr<X11ScreenSource> screen = std::make_shared<X11ScreenSource>();
    test::ForeignWindow window{onRight, 23};
    DisplayInfo left;
    DisplayInfo right;

    void SetUp() override {
        const QList<DisplayInfo> displays = screen->displays();
        ASSERT_EQ(displays.size(), 2);
        left = displays[0].pixelFrame.x() == 0 ? displays[0] : displays[1];
        right = displays[0].pixelFrame.x() == 0 ? displays[1] : displays[0];
        ASSERT_EQ(right.pixelFrame, QRect(1920, 0, 1920, 1080));
        ASSERT_TRUE(window.start());
        ASSERT_TRUE(samePixels(grabUntil([&] { return screen->grabArea(onRight, false); }, window.picture()),
                               window.picture()));
    }

    // Qt keeps each screen's native origin and divides distances from it by the scale.
    void pointAt(QPoint pixel) {
        const QPoint origin(pixel.x() < 1920 ? 0 : 1920, 0);
        QCursor::setPos(origin + (pixel - origin) / scale());
        ASSERT_TRUE(QTest::qWaitFor([&] { return screen->pointer() == pixel; }, 5000));
    }
};

TEST_F(CaptureTwoDisplaysTest, AreaAndFullUseTheDisplayUnderThePointer) {
    CaptureHarness harness(screen);
    pointAt(QPoint(2500, 700));
    const QRectF selection = pointsOnRight(onRight);
    const Result<QImage> area = harness.run(CaptureMode::area, selection);
    ASSERT_TRUE(area.ok());
    EXPECT_EQ(harness.overlay.requests.last().display.id, right.id);
    EXPECT_EQ(harness.overlay.requests.last().image.size(), QSize(1920, 1080));
    EXPECT_TRUE(samePixels(area.value(), window.picture()));
    EXPECT_EQ(harness.coordinator->lastRegion(), (CaptureRegion{right.id, selection}));

    pointAt(QPoint(300, 300));
    const Result<QImage> full = harness.run(CaptureMode::full);
    ASSERT_TRUE(full.ok());
    EXPECT_TRUE(samePixels(full.value(), screen->grabArea(left.pixelFrame, false)));
}

TEST_F(CaptureTwoDisplaysTest, PreviousUsesTheStoredDisplayOrElseTheOneUnderThePointer) {
    CaptureHarness harness(screen);
    const QRectF stored = pointsOnRight(onRight);
    harness.coordinator->setLastRegion(CaptureRegion{right.id, stored});
    pointAt(QPoint(300, 300));
    const Result<QImage> previous = harness.run(CaptureMode::previous);
    ASSERT_TRUE(previous.ok());
    EXPECT_TRUE(samePixels(previous.value(), window.picture()));
    EXPECT_TRUE(harness.overlay.requests.isEmpty());

    harness.coordinator->setLastRegion(std::nullopt);
    pointAt(QPoint(2500, 700));
    ASSERT_TRUE(harness.run(CaptureMode::previous, stored).ok());
    EXPECT_EQ(harness.overlay.requests.last().display.id, right.id);
}

TEST_F(CaptureTwoDisplaysTest, WindowModePicksTheWindowUnderTheClickOnTheSecondDisplay) {
    CaptureHarness harness(screen);
    pointAt(QPoint(3000, 900));
    // The root pixel (2170, 300) is on the right display's overlay.
    const QPointF click = pointsOnRight(QRect(2170, 300, 1, 1)).topLeft();
    const Result<QImage> shot = harness.run(CaptureMode::window, QRectF(click, QSizeF(1, 1)));
    ASSERT_TRUE(shot.ok()) << shot.error().message().toStdString();
    EXPECT_EQ(harness.overlay.requests.last().display.id, right.id);
    EXPECT_TRUE(samePixels(shot.value(), window.picture()));
}

}  // namespace
