// The scrolling session with a scripted frame stream over the fake screen:
// what it joins, when it delivers, and which answers it ignores.
#include "capture/ScrollControls.h"
#include "capture/ScrollMessages.h"
#include "capture/ScrollingCapture.h"
#include "platform/desktop/FakeScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/capture/ScriptedFrames.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace tavero;
namespace messages = tavero::ScrollMessages;

namespace {

constexpr int frameWidth = 600;
constexpr int frameHeight = 400;

const QImage& page() {
    static const QImage picture = fixtures::textPage(frameWidth, 3000);
    return picture;
}

QImage frameAt(int top) { return page().copy(0, top, frameWidth, frameHeight); }

// Remembers the windows the session opens and whether they are still open.
class RecordingPresenter final : public ScrollControlsPresenter {
public:
    struct Windows final : ScrollControls {
        explicit Windows(RecordingPresenter& owner) : owner(owner) { ++owner.openWindows; }
        ~Windows() override { --owner.openWindows; }
        void present() override {}
        RecordingPresenter& owner;
    };

    std::unique_ptr<ScrollControls> open(ScrollingCapture&, const DisplayInfo& display, const QRectF& rect) override {
        opened.append({display.id, rect});
        return std::make_unique<Windows>(*this);
    }

    QList<CaptureRegion> opened;
    int openWindows = 0;
};

struct Delivery {
    QImage image;
    std::optional<QString> notice;
};

class ScrollingCaptureTest : public testing::Test {
protected:
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    test::CaptureHarness capture{screen};
    test::ScriptedFrames frames;
    RecordingPresenter presenter;
    ScrollingCapture session{screen, ScrollingCaptureTiming{std::chrono::milliseconds(300)}};
    std::vector<Delivery> deliveries;
    int highestCount = 0;
    CaptureRegion region{screen->displays().first().id, QRectF(100, 80, frameWidth, frameHeight)};

    void SetUp() override {
        session.setStreamFactory(frames.factory());
        session.setControlsPresenter(&presenter);
        QObject::connect(&session, &ScrollingCapture::completed,
                         [this](const QImage& image, const std::optional<QString>& notice) {
                             EXPECT_TRUE(isMainThread());
                             deliveries.push_back({image, notice});
                         });
        QObject::connect(&session, &ScrollingCapture::stateChanged,
                         [this] { highestCount = std::max(highestCount, session.count()); });
    }
    void TearDown() override { screen->release(); }

    void start(const QImage& image = fixtures::noise(frameWidth, frameHeight, 3)) {
        session.start(image, region, *capture.coordinator);
        ASSERT_TRUE(QTest::qWaitFor([&] { return frames.running(); }, 5000));
    }
    // The first frame, once its comparison (with itself) is over.
    void sendFirst(const QImage& frame) {
        frames.send(frame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return session.message() == messages::unchanged(); }, 5000));
    }
    bool waitForCount(int count) {
        return QTest::qWaitFor([&] { return session.count() == count; }, 5000);
    }
    bool waitForDelivery() {
        return QTest::qWaitFor([&] { return !deliveries.empty(); }, 5000);
    }
};

TEST_F(ScrollingCaptureTest, TheFirstFrameReplacesTheStartImageAndScrolledFramesJoinBelow) {
    start();
    EXPECT_EQ(frames.region, region);
    EXPECT_EQ(presenter.opened, QList<CaptureRegion>{region});

    sendFirst(frameAt(0));
    EXPECT_EQ(session.count(), 1) << "the first live frame replaces the start image";
    frames.send(frameAt(137));
    ASSERT_TRUE(waitForCount(2));
    EXPECT_EQ(session.height(), frameHeight + 137);
    EXPECT_EQ(session.message(), messages::joined());
    frames.send(frameAt(137 + 211));
    ASSERT_TRUE(waitForCount(3));

    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 348 + frameHeight)));
    EXPECT_FALSE(deliveries[0].notice.has_value());
    EXPECT_EQ(presenter.openWindows, 0) << "the bar and the frame close on delivery";
    EXPECT_FALSE(session.isActive());
    EXPECT_EQ(session.count(), 0);
}

TEST_F(ScrollingCaptureTest, OnlyTheNewestFrameWaitsWhileAComparisonRuns) {
    start();
    sendFirst(frameAt(0));
    frames.send(frameAt(100));  // compared now
    frames.send(frameAt(180));  // waits…
    frames.send(frameAt(260));  // …and is replaced by this one
    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(highestCount, 3) << "the replaced frame was never compared";
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 260 + frameHeight)));
}

TEST_F(ScrollingCaptureTest, FinishingDuringAComparisonKeepsItAndThePendingFrameAndDeliversOnce) {
    start();
    sendFirst(frameAt(0));
    frames.send(frameAt(120));
    frames.send(frameAt(290));
    session.finish();
    EXPECT_TRUE(session.finishing());
    EXPECT_EQ(session.message(), messages::finishing());
    session.finish();
    EXPECT_EQ(frames.stops, 1) << "a second finish is ignored";

    ASSERT_TRUE(waitForDelivery());
    QTest::qWait(100);
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 290 + frameHeight)));
    session.finish();
    QTest::qWait(50);
    EXPECT_EQ(deliveries.size(), 1u) << "finish on an idle session does nothing";
}

TEST_F(ScrollingCaptureTest, FinishingBeforeAnyScrollKeepsOneScreenWithTheNotice) {
    const QImage startImage = fixtures::noise(frameWidth, frameHeight, 9);
    start(startImage);
    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_TRUE(test::samePixels(deliveries[0].image, startImage));
    EXPECT_EQ(deliveries[0].notice, messages::nothingJoined());
}

TEST_F(ScrollingCaptureTest, AStreamThatCannotStartLetsTheUserSaveWhatThereIs) {
    frames.startError = ShotError(messages::screenGone());
    const QImage startImage = fixtures::noise(frameWidth, frameHeight, 4);
    session.start(startImage, region, *capture.coordinator);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.starts == 1; }, 5000));
    EXPECT_EQ(session.message(), messages::cannotContinue());
    EXPECT_TRUE(deliveries.empty()) << "the session waits for the user";

    session.finish();
    ASSERT_EQ(deliveries.size(), 1u) << "nothing to wait for";
    EXPECT_TRUE(test::samePixels(deliveries[0].image, startImage));
    EXPECT_EQ(deliveries[0].notice, messages::screenGone());
}

TEST_F(ScrollingCaptureTest, AStreamThatStopsByItselfDeliversWhatWasStitchedWithItsReason) {
    start();
    sendFirst(frameAt(0));
    frames.send(frameAt(150));
    ASSERT_TRUE(waitForCount(2));
    frames.fail(ShotError(messages::screenGone()));
    EXPECT_EQ(session.message(), messages::interrupted());
    QTest::qWait(50);
    EXPECT_TRUE(deliveries.empty()) << "the user finishes by hand";

    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 150 + frameHeight)));
    EXPECT_EQ(deliveries[0].notice, messages::screenGone());
}

TEST_F(ScrollingCaptureTest, ARejectedFrameLeavesTheCountAndTheNextGoodFrameStillJoins) {
    start();
    sendFirst(frameAt(0));
    frames.send(fixtures::noise(frameWidth, frameHeight, 12));
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.message() == messages::notAligned(); }, 5000));
    EXPECT_EQ(session.count(), 1);
    frames.send(frameAt(170));
    ASSERT_TRUE(waitForCount(2));
    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 170 + frameHeight)));
    EXPECT_FALSE(deliveries[0].notice.has_value()) << "a later join clears the problem";
}

TEST_F(ScrollingCaptureTest, AResizedRegionIsReportedWithTheDeliveredImage) {
    start();
    sendFirst(frameAt(0));
    frames.send(page().copy(0, 100, frameWidth, frameHeight - 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.message() != messages::unchanged(); }, 5000));
    const QString shown = session.message();
    session.finish();
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(deliveries[0].notice, QStringLiteral("滚动截图区域发生变化，请重新开始。"));
    EXPECT_EQ(shown, deliveries[0].notice);
}

TEST_F(ScrollingCaptureTest, AnswersOfAnEarlierSessionAreDropped) {
    start();
    sendFirst(frameAt(0));
    frames.send(frameAt(200));  // its comparison is still out when the next session starts
    const QImage second = fixtures::noise(frameWidth, 300, 8);
    session.start(second, region, *capture.coordinator);
    EXPECT_EQ(presenter.openWindows, 1) << "the first session's windows are closed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.running(); }, 5000));
    QTest::qWait(200);
    EXPECT_EQ(session.count(), 1);
    EXPECT_EQ(session.height(), 300);

    session.finish();
    ASSERT_TRUE(waitForDelivery());
    ASSERT_EQ(deliveries.size(), 1u);
    EXPECT_TRUE(test::samePixels(deliveries[0].image, second));
}

TEST_F(ScrollingCaptureTest, AStopThatNeverAnswersStillDeliversAfterTheDeadline) {
    frames.answerStops = false;
    start();
    sendFirst(frameAt(0));
    frames.send(frameAt(160));
    ASSERT_TRUE(waitForCount(2));
    session.finish();
    QTest::qWait(100);
    EXPECT_TRUE(deliveries.empty());
    ASSERT_TRUE(waitForDelivery()) << "the deadline delivers";
    EXPECT_TRUE(test::samePixels(deliveries[0].image, page().copy(0, 0, frameWidth, 160 + frameHeight)));
    EXPECT_FALSE(session.isActive());

    frames.answerHeldStop();
    QTest::qWait(50);
    EXPECT_EQ(deliveries.size(), 1u) << "a late stop answer delivers nothing more";
}

TEST_F(ScrollingCaptureTest, JoiningPausesWhileAnotherProgramIsInFrontAndResumesAgainstTheLastFrame) {
    constexpr qint64 page = 1;  // a process that exists everywhere: init
    constexpr qint64 other = 999'999'999;
    screen->setActiveProcess(page);
    ASSERT_TRUE(capture.run(CaptureMode::full).ok());
    ASSERT_EQ(capture.coordinator->targetApplication()->processID, page);
    screen->setActiveProcess(other);

    start();
    EXPECT_EQ(screen->activeProcess(), page) << "starting brings the page forward";
    sendFirst(frameAt(0));
    screen->setActiveProcess(other);
    frames.send(frameAt(140));
    EXPECT_EQ(session.message(), messages::paused());
    QTest::qWait(50);
    EXPECT_EQ(session.count(), 1);

    screen->setActiveProcess(QCoreApplication::applicationPid());
    frames.send(frameAt(260));
    ASSERT_TRUE(waitForCount(2)) << "this program in front does not pause";
    EXPECT_EQ(session.height(), 260 + frameHeight);
}

TEST_F(ScrollingCaptureTest, WithoutTheRegionsScreenTheSessionRunsWithoutWindows) {
    region.displayID = 42;
    start();
    EXPECT_TRUE(presenter.opened.isEmpty());
    session.presentControls();
    sendFirst(frameAt(0));
    session.finish();
    ASSERT_TRUE(waitForDelivery()) << "the model can still finish it";
    EXPECT_TRUE(test::samePixels(deliveries[0].image, frameAt(0)));
}

}  // namespace
