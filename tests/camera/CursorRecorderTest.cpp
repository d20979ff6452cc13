#include "camera/CursorRecorder.h"
#include "platform/desktop/FakePointerSource.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tavero;

namespace {

constexpr double sixteenByNine = 1920.0 / 1080.0;

class CursorRecorderTest : public testing::Test {
protected:
    std::shared_ptr<FakePointerSource> pointer = std::make_shared<FakePointerSource>();
    double clock = 100;
    CursorRecorder recorder{pointer, [this] { return clock; }};

    void point(QPoint position, int buttons = 0) { pointer->setPointer(PointerState{position, buttons}); }

    // The timer takes the samples after the first, 30 times a second.
    bool waitForSamples(qsizetype count) {
        return QTest::qWaitFor([&] { return recorder.samples().size() >= count; }, 10000);
    }
};

}  // namespace

TEST(CursorRecorderGeometryTest, FitsTheTargetIntoTheVideoFrame) {
    const QPointF tall = CursorRecorder::normalized({600, 100}, {500, 100, 400, 800}, 1);
    EXPECT_EQ(tall, QPointF(0.25 + 0.5 * 0.25, 0)) << "a taller target fills the height, centred";
    EXPECT_EQ(CursorRecorder::normalized({30, 40}, {10, 40, 0, 0}, 1).y(), 0) << "no size divides by 1";
    EXPECT_EQ(CursorRecorder::normalized({2000, -100}, {0, 0, 1920, 1080}, sixteenByNine),
              QPointF(2000.0 / 1920, -100.0 / 1080))
        << "not clamped";
    for (double broken : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN()}) {
        const QPointF point = CursorRecorder::normalized({5, 5}, {5, 5, 0, 0}, broken);
        EXPECT_TRUE(std::isfinite(point.x()) && std::isfinite(point.y())) << "video aspect " << broken;
    }
}

TEST_F(CursorRecorderTest, SamplesAtOnceAndThenThirtyTimesASecondOnTheRecordingsClock) {
    point({1919, 1079});
    double recorded = 4.25;
    recorder.start({0, 0, 1920, 1080}, std::nullopt, {1920, 1080}, [&] { return recorded; });
    ASSERT_EQ(recorder.samples().size(), 1) << "before any tick";
    EXPECT_EQ(recorder.samples()[0], (CursorSample{4.25, 1919 / 1920.0, 1079 / 1080.0, true, false}));
    EXPECT_TRUE(recorder.isSampling());

    point({1920, 500});
    recorded = 4.3;
    ASSERT_TRUE(waitForSamples(2));
    EXPECT_EQ(recorder.samples()[1], (CursorSample{4.3, 1.0, 500 / 1080.0, false, false})) << "the right edge is out";

    clock = 107;
    recorder.start({0, 0, 100, 100}, std::nullopt, {0, 0});
    ASSERT_EQ(recorder.samples().size(), 1) << "a new recording starts empty";
    EXPECT_EQ(recorder.samples()[0].time, 0) << "seconds since start without a clock of its own";
    EXPECT_TRUE(std::isfinite(recorder.samples()[0].x) && std::isfinite(recorder.samples()[0].y))
        << "a video without a size";
    clock = 108.5;
    ASSERT_TRUE(waitForSamples(2));
    EXPECT_EQ(recorder.samples()[1].time, 1.5);
}

TEST_F(CursorRecorderTest, StopKeepsTheSamplesAndResumeAddsToThem) {
    recorder.start({0, 0, 100, 100}, std::nullopt, {100, 100});
    const QList<CursorSample> kept = recorder.stop();
    EXPECT_FALSE(recorder.isSampling());
    EXPECT_EQ(kept, recorder.samples());
    point({10, 10}, leftButton);
    recorder.resume();
    ASSERT_EQ(recorder.samples().size(), kept.size() + 1);
    EXPECT_EQ(recorder.samples().mid(0, kept.size()), kept);
    EXPECT_FALSE(recorder.samples().last().clicked) << "held when recording went on";

    pointer->setPointer(std::nullopt);
    recorder.resume();
    EXPECT_EQ(recorder.samples().size(), kept.size() + 1) << "no answer, no sample";

    recorder.setSamples({{4.9, 0, 0, true, false}, {5.0, 0, 0, true, true}, {5.1, 0, 0, true, false}});
    recorder.trim(5.0);
    EXPECT_EQ(recorder.samples(), (QList<CursorSample>{{4.9, 0, 0, true, false}, {5.0, 0, 0, true, true}}));

    CursorRecorder blind(nullptr);
    blind.start({0, 0, 100, 100}, std::nullopt, {100, 100});
    EXPECT_TRUE(blind.samples().isEmpty()) << "without an X display";
}

TEST_F(CursorRecorderTest, FollowsTheRecordedWindowOnEveryEighthSample) {
    QList<QRectF> reported;
    recorder.setOnBounds([&](const QRectF& bounds) { reported.append(bounds); });
    pointer->setWindowFrame(42, QRect(0, 0, 0, 300));
    point({150, 150});
    recorder.start({100, 100, 200, 200}, 42, {200, 200});
    ASSERT_TRUE(waitForSamples(8));
    EXPECT_EQ(pointer->frameRequests(), QList<quint32>{42});
    EXPECT_TRUE(reported.isEmpty()) << "a window without width leaves the target";
    EXPECT_EQ(recorder.samples()[7].x, 0.25);

    pointer->setWindowFrame(42, QRect(150, 150, 400, 400));
    ASSERT_TRUE(waitForSamples(16));
    EXPECT_EQ(pointer->frameRequests().size(), recorder.samples().size() / 8);
    EXPECT_EQ(reported, QList<QRectF>{QRectF(150, 150, 400, 400)});
    EXPECT_EQ(recorder.samples()[15].x, 0) << "measured against the moved window";

    recorder.stop();
    recorder.start({0, 0, 10, 10}, std::nullopt, {10, 10});
    ASSERT_TRUE(waitForSamples(9));
    EXPECT_EQ(pointer->frameRequests().size(), 2) << "no window, no question";
}
