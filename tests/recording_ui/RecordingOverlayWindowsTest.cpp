// Where the recording windows go and how they follow the take, on Qt's
// offscreen screen of 800 × 600 points; real window-manager states are
// checked on X11.
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/OverlayPlacement.h"
#include "recording_ui/RecordingBorderView.h"
#include "recording_ui/RecordingColours.h"
#include "recording_ui/RecordingOverlayWindows.h"
#include "tests/recording_ui/RecordingWindowsHarness.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

using OverlayPlacement::Screen;

const QList<Screen> twoScreens{{QRectF(0, 0, 1440, 900), QRectF(0, 25, 1440, 875)},
                               {QRectF(1440, 0, 1920, 1080), QRectF(1440, 0, 1920, 1040)}};

TEST(OverlayPlacementTest, TheScreenIsTheOneHoldingTheAreasCentre) {
    EXPECT_EQ(OverlayPlacement::screenFor(QRectF(1500, 100, 400, 300), twoScreens, 0), 1);
    EXPECT_EQ(OverlayPlacement::screenFor(QRectF(1000, 100, 400, 300), twoScreens, 1), 0)
        << "the centre (1200, 250) lies on the first";
    EXPECT_EQ(OverlayPlacement::screenFor(QRectF(5000, 5000, 10, 10), twoScreens, 1), 1) << "else the main screen";
    EXPECT_EQ(OverlayPlacement::screenFor(QRectF(5000, 5000, 10, 10), twoScreens, std::nullopt), 0);
    EXPECT_EQ(OverlayPlacement::screenFor(QRectF(1240, 0, 400, 10), twoScreens, 0), 1) << "the seam is the second's";
    EXPECT_FALSE(OverlayPlacement::screenFor(QRectF(0, 0, 10, 10), {}, std::nullopt));
}

TEST(OverlayPlacementTest, PanelsSitCentredOnTheVisiblePart) {
    const QRectF visible = twoScreens[1].visible;
    EXPECT_EQ(OverlayPlacement::controlPanel(visible), QRectF(1440 + 960 - 365, 1040 - 24 - 82, 730, 82));
    EXPECT_EQ(OverlayPlacement::prompterPanel(visible), QRectF(1440 + 960 - 235, 40, 470, 310));
    EXPECT_EQ(OverlayPlacement::border(QRectF(0, 0, 1440, 900)), QRectF(-2, -2, 1444, 904));
}

TEST(RecordingBorderViewTest, TheWindowIsCutToARingAroundTheLine) {
    const QRegion ring = RecordingBorderView::ring(QSize(404, 304));
    EXPECT_TRUE(ring.contains(QPoint(200, 2))) << "on the line at the top";
    EXPECT_TRUE(ring.contains(QPoint(2, 150))) << "on the line at the left";
    EXPECT_TRUE(ring.contains(QPoint(401, 150)));
    EXPECT_FALSE(ring.contains(QPoint(200, 150))) << "the area inside is not covered";
    EXPECT_FALSE(ring.contains(QPoint(10, 10))) << "nor the corner inside the rounded line";
    EXPECT_FALSE(ring.contains(QPoint(0, 0))) << "nor the corner outside it";
    qint64 covered = 0;
    for (const QRect& part : ring) covered += qint64(part.width()) * part.height();
    EXPECT_LT(covered, 2 * (404 + 304) * 6) << "a band a few points wide, whatever the area's size";
}

TEST(RecordingBorderViewTest, TheLineIsRedAndYellowWhilePaused) {
    RecordingBorderView border;
    border.resize(200, 120);
    const auto lineAt = [&border] { return border.grab().toImage().pixelColor(100, 2); };
    QColor red = RecordingColours::red();
    EXPECT_NEAR(lineAt().redF(), red.redF(), 0.05);
    EXPECT_LT(lineAt().greenF(), 0.35);
    border.setPaused(true);
    EXPECT_GT(lineAt().greenF(), 0.6) << "yellow";
    EXPECT_GT(lineAt().redF(), 0.85);
    EXPECT_EQ(border.grab().toImage().pixelColor(100, 60).alpha(), 0) << "nothing is drawn inside";
}

class RecordingOverlayWindowsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(take.prepare()); }

    test::TestStudio& studio() { return take.studio(); }
    QRectF visible() const { return QRectF(QGuiApplication::primaryScreen()->availableGeometry()); }

    test::TakeDriver take;
    RecordingOverlayWindows windows{take.studio()};
    const QRectF area{100, 80, 400, 300};
};

TEST_F(RecordingOverlayWindowsTest, ShowPlacesTheControlPanelAndTheBorder) {
    windows.show(area);
    ASSERT_TRUE(windows.control() && windows.border());
    EXPECT_TRUE(windows.control()->isVisible());
    EXPECT_EQ(QRectF(windows.control()->geometry()), OverlayPlacement::controlPanel(visible()));
    EXPECT_EQ(windows.control()->windowTitle(), QStringLiteral("岚帧录屏控制条"));
    EXPECT_TRUE(windows.border()->isVisible());
    EXPECT_EQ(windows.border()->geometry(), QRect(98, 78, 404, 304));
    EXPECT_TRUE(windows.border()->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(windows.control()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(windows.prompter()) << "the teleprompter comes only when asked for";
}

TEST_F(RecordingOverlayWindowsTest, ASecondShowClosesTheFirstWindows) {
    windows.show(area);
    const QPointer<FloatingPanel> firstControl = windows.control();
    const QPointer<RecordingBorderView> firstBorder = windows.border();
    windows.show(QRectF(200, 100, 300, 200));
    EXPECT_FALSE(firstControl && firstControl->isVisible());
    EXPECT_FALSE(firstBorder && firstBorder->isVisible());
    EXPECT_NE(windows.control(), firstControl.data());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !firstControl && !firstBorder; }, 2000)) << "and drops them";
    EXPECT_EQ(windows.border()->geometry(), QRect(198, 98, 304, 204));
}

TEST_F(RecordingOverlayWindowsTest, TheBorderTurnsYellowFromThePauseRequestUntilRecordingAgain) {
    take.record();
    windows.show(area);
    windows.updateRecordingState();
    EXPECT_FALSE(windows.border()->paused());
    studio().togglePause();
    windows.updateRecordingState();
    EXPECT_TRUE(windows.border()->paused()) << "pausing";
    take.pauseDone();
    windows.updateRecordingState();
    EXPECT_TRUE(windows.border()->paused()) << "paused";
    studio().togglePause();
    windows.updateRecordingState();
    EXPECT_TRUE(windows.border()->paused()) << "resuming";
    take.harness.recorder->started();
    windows.updateRecordingState();
    EXPECT_FALSE(windows.border()->paused()) << "recording again";
}

TEST_F(RecordingOverlayWindowsTest, TheBorderStepsAsideForACameraOnScreen) {
    windows.show(area);
    studio().setCameraEnabled(true);
    PortraitLayout layout = studio().portrait();
    layout.fullScreen = true;
    studio().setPortrait(layout);
    windows.updateBorder(area);
    EXPECT_FALSE(windows.border()->isVisible()) << "the portrait fills the screen";
    layout.fullScreen = false;
    studio().setPortrait(layout);
    windows.updateBorder(area);
    EXPECT_TRUE(windows.border()->isVisible());
    EXPECT_EQ(windows.border()->geometry(), QRect(98, 78, 404, 304));

    studio().setScope(RecordingScope::camera);
    windows.updateBorder(area);
    EXPECT_FALSE(windows.border()->isVisible()) << "a camera-only take has no area";
}

TEST_F(RecordingOverlayWindowsTest, TheTeleprompterKeepsItsPlaceUntilTheTakeCloses) {
    windows.showNotes();
    ASSERT_TRUE(windows.prompter());
    EXPECT_EQ(QRectF(windows.prompter()->geometry()), OverlayPlacement::prompterPanel(visible()));
    EXPECT_EQ(windows.prompter()->windowTitle(), QStringLiteral("提词器 · 不进入成片"));
    const QRect moved(150, 120, 420, 260);
    windows.prompter()->setGeometry(moved);
    windows.hideNotes();
    EXPECT_FALSE(windows.prompter()->isVisible());
    windows.showNotes();
    EXPECT_EQ(windows.prompter()->geometry(), moved);

    windows.show(area);
    EXPECT_EQ(windows.prompter()->geometry(), moved) << "the take's windows leave the teleprompter";
    windows.close();
    EXPECT_FALSE(windows.control() || windows.border() || windows.prompter());
    windows.showNotes();
    EXPECT_EQ(QRectF(windows.prompter()->geometry()), OverlayPlacement::prompterPanel(visible()));
    EXPECT_GE(windows.prompter()->minimumWidth(), 390);
}

TEST_F(RecordingOverlayWindowsTest, CallsBeforeTheWindowsExistDoNothing) {
    windows.updateBorder(area);
    windows.updateRecordingState();
    windows.hideNotes();
    windows.close();
    EXPECT_FALSE(windows.control() || windows.border() || windows.prompter());
}

}  // namespace
