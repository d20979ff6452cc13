// The framing preview: what it shows of the camera picture and how a drag
// moves or redraws the crop.
#include "recording_ui/CameraFramingPreviewView.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording_ui/CameraTestFeed.h"

#include <gtest/gtest.h>

using namespace tavero;
using test::drag;

namespace {

// The background of a preview without a picture.
const QRgb darkGrey = qRgb(26, 26, 26);

// A 320 × 180 view over a 640 × 360 picture: the picture fills it exactly,
// so a view point is half a picture pixel.
class CameraFramingPreviewViewTest : public testing::Test {
protected:
    CameraFramingPreviewViewTest() {
        feed.accept(test::quarterCard(), MonotonicTime());
        view.setFeed(&feed);
        view.resize(320, 180);
        view.setShowsSource(true);
        view.setMirrored(false);
        view.setChanged([this](const CameraFraming& framing) { reported.push_back(framing); });
        view.setSelectionFinished([this] { ++finished; });
        view.grab();
    }

    CameraFraming squareFraming() const {
        CameraFraming framing;
        framing.choose(CameraAspect::square);
        return framing;
    }

    test::PictureFeed feed;
    CameraFramingPreviewView view;
    std::vector<CameraFraming> reported;
    int finished = 0;
};

TEST_F(CameraFramingPreviewViewTest, ThePictureFillsTheViewWithoutCropping) {
    EXPECT_EQ(view.imageRect(), QRectF(0, 0, 320, 180));
    view.resize(320, 320);
    view.grab();
    EXPECT_EQ(view.imageRect(), QRectF(0, 70, 320, 180)) << "letterboxed, centred";
}

TEST_F(CameraFramingPreviewViewTest, DraggingTheCropPastAnEdgeLeavesItFlushWithThatEdge) {
    view.setFraming(squareFraming());
    drag(view, QPointF(160, 90), QPointF(5000, 90));
    ASSERT_FALSE(reported.empty());
    const QRectF right = view.framing().cropRect(QSizeF(640, 360));
    EXPECT_DOUBLE_EQ(right.right(), 1);
    EXPECT_DOUBLE_EQ(right.width(), 0.5625) << "the crop keeps its size";
    EXPECT_EQ(reported.back(), view.framing());

    view.setFraming(squareFraming());
    drag(view, QPointF(160, 90), QPointF(-4000, -4000));
    const QRectF left = view.framing().cropRect(QSizeF(640, 360));
    EXPECT_DOUBLE_EQ(left.left(), 0);
    EXPECT_DOUBLE_EQ(left.top(), 0);
    EXPECT_DOUBLE_EQ(view.framing().centerX, 0.28125) << "the centre stops where the crop does";
    EXPECT_EQ(finished, 0) << "moving the crop is no selection";
}

TEST_F(CameraFramingPreviewViewTest, APressOutsideTheCropDoesNotMoveIt) {
    CameraFraming framing = squareFraming();
    framing.cropScale = 0.3;
    view.setFraming(framing);
    drag(view, QPointF(10, 10), QPointF(100, 100));
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(view.framing(), framing);
}

TEST_F(CameraFramingPreviewViewTest, AFreeSelectionDrawnBackwardsEqualsTheForwardOne) {
    view.setDrawsSelection(true);
    drag(view, QPointF(48, 18), QPointF(144, 135));
    const CameraFraming forward = view.framing();
    EXPECT_EQ(forward.aspect, CameraAspect::custom);
    EXPECT_EQ(finished, 1);

    view.setFraming(CameraFraming());
    drag(view, QPointF(144, 135), QPointF(48, 18));
    EXPECT_EQ(view.framing(), forward);
    EXPECT_EQ(finished, 2);
    const QRectF crop = forward.cropRect(QSizeF(640, 360));
    EXPECT_NEAR(crop.left(), 0.15, 0.002);
    EXPECT_NEAR(crop.top(), 0.10, 0.002);
    EXPECT_NEAR(crop.width(), 0.30, 0.002);
    EXPECT_NEAR(crop.height(), 0.65, 0.002);
}

TEST_F(CameraFramingPreviewViewTest, ATinySelectionLeavesTheFramingButIsStillReported) {
    view.setDrawsSelection(true);
    const CameraFraming before = view.framing();
    drag(view, QPointF(100, 100), QPointF(104, 150));
    EXPECT_EQ(view.framing(), before);
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), before);
}

TEST_F(CameraFramingPreviewViewTest, TheOutputShowsTheSideTheMirroredSourceShows) {
    CameraFraming framing = squareFraming();
    framing.centerX = 0.2;
    framing.centerY = 0.2;
    framing.cropScale = 0.3;
    view.setShowsSource(false);
    view.setFraming(framing);
    view.resize(200, 200);
    const auto centre = [this] { return view.grab().toImage().pixel(100, 100); };
    EXPECT_EQ(centre(), qRgb(255, 0, 0));
    EXPECT_EQ(view.imageRect(), QRectF(0, 0, 200, 200)) << "the square output fills the square view";
    EXPECT_EQ(view.grab().toImage().pixel(12, 12), qRgb(255, 0, 0)) << "the crop lies in the red quarter";
    view.setMirrored(true);
    EXPECT_EQ(centre(), qRgb(0, 255, 0));
}

TEST_F(CameraFramingPreviewViewTest, ClicksInTheOutputDoNothingUnlessTheyMoveTheWindow) {
    view.setShowsSource(false);
    view.show();
    const QPoint start = view.pos();
    drag(view, QPointF(100, 90), QPointF(150, 120));
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(view.pos(), start);

    view.setMoveWindow(true);
    drag(view, QPointF(100, 90), QPointF(150, 120));
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(view.pos(), start + QPoint(50, 30));
}

TEST(CameraFramingPreviewTimerTest, TheTimerRunsOnlyWhileTheViewIsShown) {
    QWidget window;
    auto* view = new CameraFramingPreviewView(&window);
    EXPECT_FALSE(view->redrawing()) << "not in a shown window yet";
    window.show();
    EXPECT_TRUE(view->redrawing());
    window.show();
    EXPECT_TRUE(view->redrawing());
    window.hide();
    EXPECT_FALSE(view->redrawing());
    window.show();
    view->hide();
    EXPECT_FALSE(view->redrawing());
}

TEST(CameraFramingPreviewWithoutPictureTest, WithoutACameraPictureOnlyTheDarkBackgroundShows) {
    test::PictureFeed feed;
    CameraFramingPreviewView view;
    view.setFeed(&feed);
    view.setShowsSource(true);
    view.resize(200, 120);
    const QImage drawn = view.grab().toImage();
    EXPECT_EQ(drawn.pixel(100, 60), darkGrey);
    EXPECT_TRUE(view.imageRect().isEmpty());
    int reports = 0;
    view.setChanged([&reports](const CameraFraming&) { ++reports; });
    drag(view, QPointF(100, 60), QPointF(150, 60));
    EXPECT_EQ(reports, 0) << "no picture, no drag";

    view.setFeed(nullptr);
    EXPECT_EQ(view.grab().toImage().pixel(100, 60), darkGrey);
}

TEST_F(CameraFramingPreviewViewTest, Samples) {
    if (!test::samplesWanted()) GTEST_SKIP() << "set TAVERO_SAMPLES to a folder to receive the samples";
    CameraFraming framing = squareFraming();
    framing.centerX = 0.4;
    framing.cropScale = 0.7;
    view.setFraming(framing);
    view.resize(340, 200);
    test::writeSample(view, QStringLiteral("camera-framing-source"));
    view.setShowsSource(false);
    test::writeSample(view, QStringLiteral("camera-framing-output"));
}

}  // namespace
