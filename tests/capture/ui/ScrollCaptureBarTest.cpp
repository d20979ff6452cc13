// The control bar over a scrolling session with scripted frames, offscreen.
#include "capture/ScrollMessages.h"
#include "capture/ScrollingCapture.h"
#include "capture/ui/ScrollCaptureBar.h"
#include "capture/ui/ScrollCapturePresenter.h"
#include "editor_ui/style/StartActionButton.h"
#include "platform/desktop/FakeScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/ScriptedFrames.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

using namespace tavero;

namespace {

TEST(ScrollCaptureBarTest, ShowsTheSessionAndFinishesItOnce) {
    auto screen = std::make_shared<FakeScreenSource>();
    test::CaptureHarness capture(screen);
    test::ScriptedFrames frames;
    frames.answerStops = false;
    ScrollingCapture session(screen);
    session.setStreamFactory(frames.factory());
    ScrollCaptureBar bar(session);

    const QImage page = fixtures::textPage(500, 1000);
    session.start(page.copy(0, 0, 500, 300), CaptureRegion{screen->displays().first().id, QRectF(0, 0, 500, 300)},
                  *capture.coordinator);
    EXPECT_EQ(bar.progressText(), QStringLiteral("已接续 1 张 · 300 px"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.running(); }, 5000));
    frames.send(page.copy(0, 0, 500, 300));
    frames.send(page.copy(0, 123, 500, 300));
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.count() == 2; }, 5000));
    EXPECT_EQ(bar.progressText(), QStringLiteral("已接续 2 张 · 423 px"));
    EXPECT_EQ(bar.messageText(), ScrollMessages::joined());

    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QTest::mouseClick(bar.finishButton(), Qt::LeftButton);
    EXPECT_TRUE(session.finishing());
    EXPECT_EQ(bar.finishButton()->text(), QStringLiteral("保存中…"));
    EXPECT_FALSE(bar.finishButton()->isEnabled());
    QTest::mouseClick(bar.finishButton(), Qt::LeftButton);
    EXPECT_EQ(frames.stops, 1);
}

TEST(ScrollCaptureBarTest, TheBarGoesBelowTheRegionOrAboveItWhenThereIsNoRoom) {
    const QRect visible(0, 30, 1920, 1050);
    EXPECT_EQ(ScrollCapturePresenter::barGeometry(QRectF(240, 400, 1440, 600), visible), QRect(670, 288, 580, 98));
    EXPECT_EQ(ScrollCapturePresenter::barGeometry(QRectF(0, 100, 300, 900), visible), QRect(12, 42, 580, 98))
        << "kept 12 points inside the visible area";
    EXPECT_EQ(ScrollCapturePresenter::barGeometry(QRectF(100, 100, 200, 200), QRect(0, 0, 400, 600)).width(), 376);
}

}  // namespace
