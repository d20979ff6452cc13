// The recording windows on an X server with two monitors side by side:
// DUMMY0 at (0, 0) and DUMMY1 at (1920, 0), each 1920 × 1080 pixels. Also
// run with QT_SCALE_FACTOR=2, where each display is 960 × 540 points placed
// at its native origin.
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/OverlayPlacement.h"
#include "recording_ui/RecordingBorderView.h"
#include "recording_ui/RecordingOverlayWindows.h"
#include "tests/recording_ui/RecordingWindowsHarness.h"
#include "tests/recording_ui/X11WindowFacts.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

using namespace tavero;

namespace {

double scale() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

// Root pixels of a rectangle in points on the display whose native origin is `origin`.
QRect pixelsOf(const QRectF& points, QPoint origin) {
    const QPointF offset = points.topLeft() - QPointF(origin);
    return QRectF(QPointF(origin) + offset * scale(), points.size() * scale()).toRect();
}

class RecordingWindowsTwoDisplaysTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        for (QScreen* screen : QGuiApplication::screens())
            (screen->geometry().x() == 0 ? left : right) = screen;
        ASSERT_TRUE(left && right);
        ASSERT_EQ(right->geometry().topLeft(), QPoint(1920, 0));
        ASSERT_TRUE(take.prepare());
    }
    void TearDown() override { windows.close(); }

    QScreen* left = nullptr;
    QScreen* right = nullptr;
    test::TakeDriver take;
    RecordingOverlayWindows windows{take.studio()};
};

TEST_F(RecordingWindowsTwoDisplaysTest, AnAreaOnTheSecondDisplayHasItsWindowsThere) {
    const QRectF area(1920 + 100, 60, 600 / scale(), 400 / scale());
    windows.show(area);
    windows.showNotes();
    const QPoint origin(1920, 0);
    const QRectF visible(right->availableGeometry());
    const int s = int(scale());
    const QRect control(2880 - 365 * s, 1080 - (24 + 82) * s, 730 * s, 82 * s);
    EXPECT_EQ(test::settledGeometry(*windows.control(), control), control)
        << "centred at the bottom of the second display, 24 points above its edge";
    const QRect border = pixelsOf(area.adjusted(-2, -2, 2, 2), origin);
    EXPECT_EQ(test::settledGeometry(*windows.border(), border), border);
    const QRect prompter = pixelsOf(OverlayPlacement::prompterPanel(visible), origin);
    EXPECT_EQ(test::settledGeometry(*windows.prompter(), prompter), prompter) << "on the control panel's display";
    EXPECT_EQ(windows.control()->screen(), right);
}

TEST_F(RecordingWindowsTwoDisplaysTest, AnAreaAcrossTheSeamGoesWithItsCentre) {
    const QRectF area(1700, 100, 300, 200);
    windows.show(area);
    const QRect control = pixelsOf(OverlayPlacement::controlPanel(QRectF(left->availableGeometry())), QPoint(0, 0));
    EXPECT_EQ(test::settledGeometry(*windows.control(), control), control) << "the centre (1850, 200) is on the left";
}

}  // namespace
