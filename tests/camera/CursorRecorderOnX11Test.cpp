// The pointer recorder on a bare Xvfb of 1920 × 1080, driven through XTEST.
#include "camera/CursorRecorder.h"
#include "platform/desktop/SyntheticPointer.h"
#include "platform/desktop/X11PointerSource.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

class CursorRecorderOnX11Test : public testing::Test {
protected:
    SyntheticPointer hand;
    CursorRecorder recorder{std::make_shared<X11PointerSource>()};

    void TearDown() override {
        hand.release(leftButton);
        hand.sync();
    }

    void moveTo(QPoint position) {
        hand.moveTo(position);
        hand.sync();
    }

    // Two more samples: at least one taken after everything sent so far.
    void waitForFreshSample() {
        hand.sync();
        const qsizetype count = recorder.samples().size() + 2;
        ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.samples().size() >= count; }, 10000));
    }

    qsizetype clicks() const {
        return std::count_if(recorder.samples().begin(), recorder.samples().end(),
                             [](const CursorSample& sample) { return sample.clicked; });
    }
};

}  // namespace

TEST_F(CursorRecorderOnX11Test, PlacesThePointerInTheVideoFrame) {
    moveTo({960, 540});
    recorder.start({0, 0, 1920, 1080}, std::nullopt, {1920, 1080});
    const CursorSample centre = recorder.samples().first();
    EXPECT_EQ(QPointF(centre.x, centre.y), QPointF(0.5, 0.5));
    EXPECT_TRUE(centre.inside);

    moveTo({0, 0});
    recorder.start({0, 0, 1000, 500}, std::nullopt, {1920, 1080});
    EXPECT_EQ(recorder.samples().first().x, 0) << "letterboxed: a wide target fills the width";
    EXPECT_NEAR(recorder.samples().first().y, 0.0556, 0.0001);
    moveTo({1000, 250});
    waitForFreshSample();
    EXPECT_EQ(recorder.samples().last().x, 1);
    EXPECT_FALSE(recorder.samples().last().inside) << "the right edge";
}

TEST_F(CursorRecorderOnX11Test, AButtonHeldAtResumeIsNoClickAndAPressIsOne) {
    moveTo({300, 300});
    recorder.start({0, 0, 1920, 1080}, std::nullopt, {1920, 1080});
    recorder.stop();
    hand.press(leftButton);
    hand.sync();
    recorder.resume();
    waitForFreshSample();
    hand.release(leftButton);
    waitForFreshSample();
    EXPECT_EQ(clicks(), 0);

    hand.press(leftButton);
    waitForFreshSample();
    hand.press(rightButton);
    waitForFreshSample();
    EXPECT_EQ(clicks(), 1) << "a second button while one is held is no new press";
    hand.release(rightButton);
    hand.release(leftButton);
    waitForFreshSample();
    EXPECT_EQ(clicks(), 1);
}

TEST_F(CursorRecorderOnX11Test, APauseTrimsToTheKeptTimeAndKeepsTheSampleAtIt) {
    double recorded = 4.9;
    moveTo({100, 100});
    recorder.start({0, 0, 1920, 1080}, std::nullopt, {1920, 1080}, [&] { return recorded; });
    for (const double time : {5.0, 5.1}) {
        recorded = time;
        waitForFreshSample();
    }
    recorder.stop();
    recorder.trim(5.0);
    const QList<CursorSample> kept = recorder.samples();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_EQ(kept.first().time, 4.9);
    EXPECT_EQ(kept.last().time, 5.0) << "the sample at the kept time stays";

    moveTo({1200, 800});
    recorder.resume();
    EXPECT_EQ(recorder.samples().mid(0, kept.size()), kept);
    EXPECT_EQ(recorder.samples().last(), (CursorSample{5.1, 1200 / 1920.0, 800 / 1080.0, true, false}));
}
