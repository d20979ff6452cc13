#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "capture/ScrollMessages.h"
#include "document/ShotDocument.h"
#include "recording/studio/RecordingStudio.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/TestWindows.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;

namespace {

const QRectF area(200, 100, 400, 300);

// Takes a scrolling screenshot of `area` up to the running session, and
// unless told otherwise until its frames stream.
void startScrolling(ModelHarness& harness, bool untilStreaming = true) {
    harness.model().take(CaptureMode::area, true);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(area);
    ASSERT_TRUE(harness.model().scrollSession().isActive());
    if (untilStreaming) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return harness.frames.running(); }, 5000));
    }
}

// Sends two frames of a text page 160 pixels apart, which the session joins.
QImage scrollTwoFrames(ModelHarness& harness) {
    const QSize size = area.size().toSize();
    const QImage page = fixtures::textPage(size.width(), 1200);
    harness.frames.send(page.copy(0, 0, size.width(), size.height()));
    harness.frames.send(page.copy(0, 160, size.width(), size.height()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return harness.model().scrollCount() == 2; }, 10'000));
    return page;
}

TEST(ScrollHandOffTest, TheAreaGoesToTheSessionWithTheEditorHiddenAndNothingSaved) {
    ModelHarness harness;
    startScrolling(harness, false);
    AppModel& model = harness.model();
    const int shown = harness.windowShown;
    EXPECT_EQ(harness.editorHidden, 1);
    EXPECT_EQ(harness.scrollControls.opened, 1);
    EXPECT_EQ(model.document().name(), ModelMessages::scrollingCapture());
    EXPECT_TRUE(test::samePixels(model.document().image(), harness.desktop.copy(area.toRect())));
    EXPECT_EQ(model.scrollCount(), 1);
    EXPECT_EQ(model.status(), ScrollMessages::connecting()) << "the session's message is the status";
    ASSERT_TRUE(QTest::qWaitFor([&] { return harness.frames.running(); }, 5000));
    EXPECT_EQ(harness.frames.region, CaptureRegion(harness.screen->displays().first().id, area));

    model.take(CaptureMode::full, false);
    model.toggleRecording(false);
    EXPECT_EQ(harness.scrollControls.presented, 2) << "requests meanwhile only bring the bar forward";
    EXPECT_EQ(harness.overlay.requests.size(), 1);
    EXPECT_FALSE(model.screenAccessIntent().has_value());
    EXPECT_FALSE(model.studio().setupVisible());

    QTest::qWait(100);
    EXPECT_EQ(harness.windowShown, shown) << "the editor stays hidden while the page is scrolled";
    EXPECT_TRUE(model.history().isEmpty()) << "the first frame is not saved";
    model.scrollSession().finish();
}

TEST(ScrollHandOffTest, TheLongImageOpensAndIsKeptEvenWithoutAutoSaveWithTheSessionsNotice) {
    ModelHarness harness;
    harness.model().setAutoSave(false);
    startScrolling(harness);
    AppModel& model = harness.model();
    const int shown = harness.windowShown;
    model.setFlow(WorkspaceFlow{true, std::nullopt});

    model.finishScroll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.scrollCount(), 0);
    EXPECT_EQ(harness.windowShown, shown + 1);
    EXPECT_FALSE(model.flow().showingHome);
    EXPECT_EQ(model.document().name(), ModelMessages::scrollingCapture());
    const CaptureRecord record = model.history().front();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^长截图_.+\\.png$")).match(record.file).hasMatch());
    EXPECT_EQ(harness.manifestOnDisk().value(0), record);
    EXPECT_EQ(model.status(), ScrollMessages::nothingJoined())
        << "a session that never scrolled says so, and only so: no screen was left out";
}

TEST(ScrollHandOffTest, LeftOutScreensAreNamedOnlyWhenTheLastFrameDidNotLineUp) {
    ModelHarness harness;
    startScrolling(harness);
    AppModel& model = harness.model();
    scrollTwoFrames(harness);
    harness.frames.send(fixtures::noise(int(area.width()), int(area.height()), 11));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.scrollSession().message() == ScrollMessages::notAligned(); },
                                10'000));

    model.finishScroll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.status(), QStringLiteral("已保留长截图，最后未对齐的画面没有加入。") + ScrollMessages::notAligned());
}

TEST(ScrollHandOffTest, AStreamThatStoppedIsReportedAlone) {
    ModelHarness harness;
    startScrolling(harness);
    AppModel& model = harness.model();
    model.addScrollFrame();
    EXPECT_EQ(model.scrollSession().message(), ScrollMessages::continuous()) << "frames come by themselves";
    const QString stopped = QStringLiteral("屏幕共享已停止。");
    harness.frames.fail(ShotError(stopped));
    model.finishScroll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.status(), stopped);
    EXPECT_FALSE(model.error().has_value());
}

TEST(ScrollHandOffTest, JoinsAreMirroredAndAScrolledPageIsSavedWithoutNotice) {
    ModelHarness harness;
    startScrolling(harness);
    AppModel& model = harness.model();
    const QImage page = scrollTwoFrames(harness);
    EXPECT_EQ(model.status(), ScrollMessages::joined());
    EXPECT_EQ(harness.menuCountdowns.size(), 3u) << "the menu follows start, first frame and join";

    model.scrollSession().finish();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    EXPECT_EQ(model.status(), ModelMessages::saved(model.history().front().name));
    EXPECT_TRUE(test::samePixels(model.document().image(), page.copy(0, 0, int(area.width()), 460)));
}

TEST(ScrollHandOffTest, AFullScreenScrollingTakeWithNoAreaStaysAStill) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setAutoSave(false);
    const int shown = harness.windowShown;
    model.take(CaptureMode::full, true);
    ASSERT_TRUE(harness.waitForStatus(ModelMessages::captureReady()));
    EXPECT_FALSE(model.scrollSession().isActive());
    EXPECT_EQ(harness.windowShown, shown + 1) << "the window comes back";
    EXPECT_EQ(harness.editorHidden, 0);
    EXPECT_TRUE(test::samePixels(model.document().image(), harness.desktop));
}

}  // namespace
