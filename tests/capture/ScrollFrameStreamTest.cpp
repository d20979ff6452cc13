// The frame stream over the fake screen: which pixels it grabs, which
// frames it drops, and the order of its answers.
#include "capture/ScrollFrameStream.h"
#include "capture/ScrollMessages.h"
#include "document/ImageOps.h"
#include "platform/desktop/FakeScreenSource.h"
#include "platform/threads/MainThread.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class ScrollFrameStreamTest : public testing::Test {
protected:
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    QImage desktop = fixtures::noise(1920, 1080, 6);
    DisplayInfo display = screen->displays().first();
    ScrollFrameStream stream{screen};
    QList<QImage> frames;
    QList<QString> failures;

    void SetUp() override { screen->setDesktop(desktop); }

    void start(const QRectF& rect, const DisplayInfo& shown) {
        stream.start(CaptureRegion{shown.id, rect}, ShareableContent{{shown}, {}},
                     [this](const QImage& frame) {
                         EXPECT_TRUE(isMainThread());
                         frames.append(frame);
                     },
                     [this](const ShotError& error) { failures.append(error.message()); });
    }
};

TEST_F(ScrollFrameStreamTest, FramesShowTheRegionAndOnlyWhenItChanged) {
    const QRectF rect(100, 50, 300, 200);
    start(rect, display);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));
    EXPECT_EQ(frames.first().format(), ImageOps::surfaceFormat);
    EXPECT_TRUE(test::samePixels(frames.first(), desktop.copy(rect.toRect())));

    QTest::qWait(300);
    EXPECT_EQ(frames.size(), 1) << "an unchanged screen gives no new frame";
    const QImage scrolled = fixtures::noise(1920, 1080, 7);
    screen->setDesktop(scrolled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.size() == 2; }, 5000));
    EXPECT_TRUE(test::samePixels(frames.last(), scrolled.copy(rect.toRect())));
}

TEST_F(ScrollFrameStreamTest, RegionsInPointsBecomeDevicePixels) {
    DisplayInfo scaled = display;
    scaled.scale = 2;
    start(QRectF(10, 20, 300, 200), scaled);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));
    EXPECT_EQ(frames.first().size(), QSize(600, 400));
    EXPECT_TRUE(test::samePixels(frames.first(), desktop.copy(20, 40, 600, 400)));

    DisplayInfo right = display;
    right.pixelFrame = QRect(1920, 0, 2880, 1800);
    right.scale = 1.5;
    EXPECT_EQ(ScrollFrameStream::pixelArea(right, QRectF(1, 1, 100.5, 33)), QRect(1922, 2, 151, 50))
        << "halves round away from zero";
}

TEST_F(ScrollFrameStreamTest, StopAnswersAfterTheLastFrameAndNothingFollows) {
    start(QRectF(0, 0, 200, 100), display);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));
    screen->setDesktop(fixtures::noise(1920, 1080, 8));
    bool stopped = false;
    qsizetype framesAtStop = -1;
    stream.stop([&] {
        EXPECT_TRUE(isMainThread());
        stopped = true;
        framesAtStop = frames.size();
    });
    EXPECT_FALSE(stopped) << "a running stream answers later";
    ASSERT_TRUE(QTest::qWaitFor([&] { return stopped; }, 5000));
    screen->setDesktop(fixtures::noise(1920, 1080, 9));
    QTest::qWait(250);
    EXPECT_EQ(frames.size(), framesAtStop);

    bool again = false;
    stream.stop([&] { again = true; });
    EXPECT_TRUE(again) << "without a running stream the answer comes at once";
}

TEST_F(ScrollFrameStreamTest, AMissingDisplayRefusesToStart) {
    DisplayInfo gone = display;
    gone.id = 42;
    try {
        stream.start(CaptureRegion{gone.id, QRectF(0, 0, 10, 10)}, ShareableContent{{display}, {}}, {}, {});
        FAIL() << "started";
    } catch (const ShotError& error) {
        EXPECT_EQ(error.message(), ScrollMessages::screenGone());
    }
    bool stopped = false;
    stream.stop([&] { stopped = true; });
    EXPECT_TRUE(stopped);
}

TEST_F(ScrollFrameStreamTest, AScreenThatCanNoLongerBeReadFailsOnceAndStillStops) {
    start(QRectF(1000, 800, 200, 100), display);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frames.isEmpty(); }, 5000));
    screen->setDesktop(fixtures::noise(640, 480, 1));  // the region now lies outside the screen
    ASSERT_TRUE(QTest::qWaitFor([&] { return !failures.isEmpty(); }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(failures, QList<QString>{ScrollMessages::screenGone()});
    bool stopped = false;
    stream.stop([&] { stopped = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped; }, 5000));
}

TEST_F(ScrollFrameStreamTest, FramesWaitingForTheMainThreadAreBoundedAndDroppedWithTheStream) {
    auto changing = std::make_unique<ScrollFrameStream>(screen);
    int delivered = 0;
    changing->start(CaptureRegion{display.id, QRectF(0, 0, 64, 64)}, ShareableContent{{display}, {}},
                    [&](const QImage&) { ++delivered; }, {});
    // Keep the main thread busy while the screen changes under the stream.
    for (quint32 seed = 20; seed < 32; ++seed) {
        screen->setDesktop(fixtures::noise(1920, 1080, seed));
        QThread::msleep(90);
    }
    EXPECT_GT(changing->droppedFrames(), 0);
    changing.reset();
    QTest::qWait(50);
    EXPECT_EQ(delivered, 0) << "frames still on their way go with the stream";
}

}  // namespace
