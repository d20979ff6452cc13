// The floating camera picture of a take: where its panel goes, what it
// shows, and what a click and a drag on it report. Qt's offscreen screen
// is 800 × 600 points.
#include "platform/desktop/OwnWindows.h"
#include "recording_ui/CameraFramingPreviewView.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/PortraitOverlayWindow.h"
#include "recording_ui/WebcamPreviewView.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording_ui/CameraTestFeed.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::drag;

namespace {

CameraFraming portraitFraming() {
    CameraFraming framing;
    framing.choose(CameraAspect::portrait916);
    return framing;
}

TEST(PortraitPanelFrameTest, ACameraOnlyPanelIsTheOutputScaledIntoTheArea) {
    const QRectF frame = PortraitOverlayWindow::panelFrame(QRectF(0, 0, 1440, 900), PortraitLayout(), portraitFraming());
    EXPECT_NEAR(frame.width(), 1080 * 520.0 / 1920, 1e-9) << "the height limit of 520 points rules";
    EXPECT_DOUBLE_EQ(frame.height(), 520);
    EXPECT_EQ(frame.center(), QPointF(720, 450));

    CameraFraming wide;
    const QRectF small = PortraitOverlayWindow::panelFrame(QRectF(100, 50, 400, 300), PortraitLayout(), wide);
    EXPECT_DOUBLE_EQ(small.width(), 320) << "80 % of the area's width";
    EXPECT_DOUBLE_EQ(small.height(), 180);
    EXPECT_EQ(small.center(), QPointF(300, 200));
}

TEST(PortraitPanelFrameTest, FullScreenWithoutAFramingIsA16By9PanelOnTheCentre) {
    PortraitLayout layout;
    layout.fullScreen = true;
    EXPECT_EQ(PortraitOverlayWindow::panelFrame(QRectF(0, 0, 1920, 1080), layout, std::nullopt),
              QRectF(640, 360, 640, 360));
    EXPECT_EQ(PortraitOverlayWindow::panelFrame(QRectF(0, 0, 600, 400), layout, std::nullopt),
              QRectF(60, 65, 480, 270));
}

TEST(PortraitPanelFrameTest, APortraitSitsWhereTheVideoHasIt) {
    PortraitLayout layout;
    layout.shape = PortraitShape::square;
    layout.x = 0.25;
    layout.y = 0.2;
    layout.width = 0.2;
    const QRectF area(100, 50, 1000, 500);
    const QRectF frame = PortraitOverlayWindow::panelFrame(area, layout, std::nullopt);
    EXPECT_EQ(frame.size(), QSizeF(200, 200));
    EXPECT_EQ(frame.center(), QPointF(100 + 250, 50 + 100)) << "measured from the area's top-left corner";
}

TEST(PortraitPanelFrameTest, AMoveIsAFractionOfTheAreaHeldInside) {
    const QRectF area(100, 50, 1000, 500);
    const std::optional<PortraitLayout> moved = PortraitOverlayWindow::movedTo(QPointF(350, 300), area, PortraitLayout());
    ASSERT_TRUE(moved);
    EXPECT_DOUBLE_EQ(moved->x, 0.25);
    EXPECT_DOUBLE_EQ(moved->y, 0.5);
    EXPECT_DOUBLE_EQ(PortraitOverlayWindow::movedTo(QPointF(5000, -50), area, PortraitLayout())->x, 1);
    EXPECT_DOUBLE_EQ(PortraitOverlayWindow::movedTo(QPointF(5000, -50), area, PortraitLayout())->y, 0);
    EXPECT_FALSE(PortraitOverlayWindow::movedTo(QPointF(10, 10), QRectF(0, 0, 0, 500), PortraitLayout()))
        << "an empty area has no place to report";
}

class PortraitOverlayWindowTest : public testing::Test {
protected:
    PortraitOverlayWindowTest() {
        feed.accept(test::quarterCard(), MonotonicTime());
        overlay.setChanged([this](const PortraitLayout& layout) { reports.push_back(layout); });
    }

    test::PictureFeed feed;
    PortraitOverlayWindow overlay;
    std::vector<PortraitLayout> reports;
    const QRectF area{0, 0, 800, 600};
};

TEST_F(PortraitOverlayWindowTest, ACameraOnlyTakeShowsItsFramingInOnePanel) {
    overlay.show(feed, QRectF(0, 0, 1440, 900), PortraitLayout(), portraitFraming());
    FloatingPanel* panel = overlay.panel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("口播预览 · 1080 × 1920"));
    ASSERT_TRUE(overlay.cameraPreview());
    EXPECT_FALSE(overlay.preview());
    EXPECT_FALSE(overlay.cameraPreview()->showsSource());
    EXPECT_EQ(overlay.cameraPreview()->accessibleName(), QStringLiteral("口播画面预览 · 1080 × 1920"));
    EXPECT_NEAR(panel->width(), 292.5, 1);
    EXPECT_EQ(panel->height(), 520);
    EXPECT_NEAR(panel->geometry().center().x(), 720, 1);

    overlay.show(feed, area, PortraitLayout(), std::nullopt);
    EXPECT_EQ(overlay.panel(), panel) << "a second show keeps the panel and its content";
    EXPECT_TRUE(overlay.cameraPreview());

    const quint32 window = quint32(panel->winId());
    EXPECT_TRUE(OwnWindows::list().contains(window)) << "kept out of the recording while shown";
    overlay.close();
    EXPECT_FALSE(overlay.panel());
    EXPECT_FALSE(OwnWindows::list().contains(window));
    overlay.show(feed, area, PortraitLayout(), std::nullopt);
    ASSERT_TRUE(overlay.preview()) << "after a close, the content follows the new take";
    EXPECT_FALSE(overlay.cameraPreview());
    EXPECT_EQ(overlay.panel()->windowTitle(), QStringLiteral("人像 · 拖动位置，点击切换口播"));
}

TEST_F(PortraitOverlayWindowTest, AShortPressTogglesFullScreenAndALongerDragMoves) {
    overlay.show(feed, area, PortraitLayout(), std::nullopt);
    WebcamPreviewView& view = *overlay.preview();
    const QPoint start = overlay.panel()->pos();
    drag(view, QPointF(20, 20), QPointF(23, 20));
    ASSERT_EQ(reports.size(), 1u) << "3 points is a click";
    EXPECT_TRUE(reports.back().fullScreen);
    EXPECT_EQ(overlay.panel()->pos(), start);
    overlay.update(area, reports.back());
    EXPECT_EQ(overlay.panel()->geometry(), QRect(80, 120, 640, 360)) << "the same panel grows to the full-screen preview";

    overlay.update(area, PortraitLayout());
    const QPointF before = QRectF(overlay.panel()->geometry()).center();
    drag(view, QPointF(20, 20), QPointF(25, 20));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports.back().fullScreen) << "5 points is a move";
    EXPECT_NEAR(reports.back().x, (before.x() + 5) / 800, 1e-9);
    EXPECT_NEAR(reports.back().y, before.y() / 600, 1e-9);
}

TEST_F(PortraitOverlayWindowTest, MovesStopAtTheAreaAndFullScreenHasNoPlace) {
    overlay.show(feed, area, PortraitLayout(), std::nullopt);
    WebcamPreviewView& view = *overlay.preview();
    drag(view, QPointF(20, 20), QPointF(3000, 20));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_DOUBLE_EQ(reports.back().x, 1);

    PortraitLayout full;
    full.fullScreen = true;
    overlay.update(area, full);
    const QPoint start = overlay.panel()->pos();
    drag(view, QPointF(20, 20), QPointF(60, 50));
    EXPECT_EQ(reports.size(), 1u) << "a full-screen drag moves the panel only";
    EXPECT_EQ(overlay.panel()->pos(), start + QPoint(40, 30));
}

TEST(WebcamPreviewViewTest, OnlyACirclePortraitIsRoundedToACircle) {
    WebcamPreviewView view;
    view.resize(180, 180);
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 90);
    PortraitLayout layout;
    layout.shape = PortraitShape::square;
    view.setPortrait(layout);
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 14);
    layout.shape = PortraitShape::rectangle;
    view.setPortrait(layout);
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 14);
    layout.shape = PortraitShape::circle;
    layout.fullScreen = true;
    view.setPortrait(layout);
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 14);
}

TEST(WebcamPreviewViewTest, ThePictureIsMirroredAsThePortraitSays) {
    test::PictureFeed feed;
    feed.accept(test::quarterCard(), MonotonicTime());
    WebcamPreviewView view;
    view.setFeed(&feed);
    view.resize(160, 90);
    PortraitLayout layout;
    layout.shape = PortraitShape::square;
    view.setPortrait(layout);
    EXPECT_EQ(view.grab().toImage().pixel(30, 20), qRgb(0, 255, 0)) << "mirrored: the camera's right on the left";
    layout.mirrored = false;
    view.setPortrait(layout);
    EXPECT_EQ(view.grab().toImage().pixel(30, 20), qRgb(255, 0, 0));
}

TEST(WebcamPreviewViewTest, AThumbnailNeverMovesItsWindow) {
    QWidget sheet;
    sheet.resize(300, 200);
    auto* thumbnail = new WebcamPreviewView(&sheet);
    thumbnail->resize(84, 84);
    int clicks = 0;
    thumbnail->setClicked([&clicks] { ++clicks; });
    sheet.show();
    const QPoint start = sheet.pos();
    drag(*thumbnail, QPointF(10, 10), QPointF(80, 60));
    EXPECT_EQ(sheet.pos(), start);
    EXPECT_EQ(clicks, 0);
}

TEST_F(PortraitOverlayWindowTest, Samples) {
    if (!test::samplesWanted()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the samples";
    overlay.show(feed, QRectF(0, 0, 1440, 900), PortraitLayout(), std::nullopt);
    test::writeSample(*overlay.panel(), QStringLiteral("portrait-overlay-circle"));
    PortraitLayout wide;
    wide.shape = PortraitShape::rectangle;
    overlay.update(QRectF(0, 0, 1440, 900), wide);
    test::writeSample(*overlay.panel(), QStringLiteral("portrait-overlay-rectangle"));
    overlay.close();
    overlay.show(feed, QRectF(0, 0, 1440, 900), PortraitLayout(), portraitFraming());
    test::writeSample(*overlay.panel(), QStringLiteral("portrait-overlay-camera-only"));
}

}  // namespace
