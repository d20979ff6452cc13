// The floating portrait on a real X server with openbox: where it lies, the
// window manager's states, the keyboard that stays with the recorded
// program, and a real click and drag on it.
#include "platform/desktop/OwnWindows.h"
#include "recording_ui/FloatingPanel.h"
#include "recording_ui/PortraitOverlayWindow.h"
#include "recording_ui/WebcamPreviewView.h"
#include "tests/recording_ui/CameraTestFeed.h"
#include "tests/recording_ui/X11WindowFacts.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class PortraitOverlayOnX11Test : public testing::Test {
protected:
    PortraitOverlayOnX11Test() {
        feed.accept(test::quarterCard(), MonotonicTime());
        // As the studio does: the reported layout is stored and comes back.
        overlay.setChanged([this](const PortraitLayout& layout) {
            reports.push_back(layout);
            overlay.update(QRectF(area), layout);
        });
        page.setWindowTitle(QStringLiteral("被录制的页面"));
        page.setGeometry(area);
    }

    QRect portraitPlace(const PortraitLayout& layout) const {
        return PortraitOverlayWindow::panelFrame(QRectF(area), layout, std::nullopt).toRect();
    }

    test::PictureFeed feed;
    PortraitOverlayWindow overlay;
    std::vector<PortraitLayout> reports;
    const QRect area{300, 200, 800, 500};
    QWidget page;
};

TEST_F(PortraitOverlayOnX11Test, ThePortraitFloatsWhereTheVideoHasItAndTakesNoKeyboard) {
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return test::hasKeyboard(quint32(page.winId())); }, 5000));
    overlay.show(feed, QRectF(area), PortraitLayout(), std::nullopt);
    FloatingPanel& panel = *overlay.panel();
    const QRect place = portraitPlace(PortraitLayout());
    EXPECT_EQ(test::settledGeometry(panel, place), place);
    const QString facts = test::properties(panel.winId(), {QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")});
    EXPECT_TRUE(facts.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << facts.toStdString();
    EXPECT_TRUE(facts.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295"))) << facts.toStdString();
    EXPECT_TRUE(OwnWindows::list().contains(quint32(panel.winId())));
    QTest::qWait(200);
    EXPECT_TRUE(test::hasKeyboard(quint32(page.winId())));
}

TEST_F(PortraitOverlayOnX11Test, ARealClickSwitchesToFullScreenAndARealDragMovesThePortrait) {
    overlay.show(feed, QRectF(area), PortraitLayout(), std::nullopt);
    FloatingPanel& panel = *overlay.panel();
    const QRect place = portraitPlace(PortraitLayout());
    ASSERT_EQ(test::settledGeometry(panel, place), place);
    QTest::qWait(200);

    ASSERT_TRUE(test::xdotool(QStringList{QStringLiteral("mousemove")} + test::coordinates(place.center()) +
                              QStringList{QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reports.empty(); }, 5000));
    EXPECT_TRUE(reports.back().fullScreen);
    const QRect full(380, 270, 640, 360);
    EXPECT_EQ(test::settledGeometry(panel, full), full) << "the same panel, now a 16:9 preview on the area's centre";

    ASSERT_TRUE(test::xdotool(QStringList{QStringLiteral("mousemove")} + test::coordinates(full.center()) +
                              QStringList{QStringLiteral("click"), QStringLiteral("1")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() == 2; }, 5000));
    ASSERT_EQ(test::settledGeometry(panel, place), place);
    QTest::qWait(200);

    ASSERT_TRUE(test::drag(place.center(), place.center() - QPoint(200, 100)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.size() == 3; }, 5000));
    EXPECT_FALSE(reports.back().fullScreen);
    EXPECT_NEAR(reports.back().x, 0.83 - 200.0 / 800, 0.01);
    EXPECT_NEAR(reports.back().y, 0.78 - 100.0 / 500, 0.01);
    const QRect moved = portraitPlace(reports.back());
    EXPECT_EQ(test::settledGeometry(panel, moved), moved);
}

}  // namespace
