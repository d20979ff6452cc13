// The recording-area picker and the region sampler of the coordinator,
// over the fake screen with a scripted overlay.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ScrollMessages.h"
#include "platform/FakeScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <gtest/gtest.h>

using namespace tavero;
namespace messages = tavero::CaptureMessages;

namespace {

class RecordingAreaPickerTest : public testing::Test {
protected:
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    test::CaptureHarness harness{screen};
    CaptureCoordinator& coordinator = *harness.coordinator;
    quint32 displayID = screen->displays().first().id;
    QImage desktop = fixtures::noise(1920, 1080, 2);

    void SetUp() override { screen->setDesktop(desktop); }
    void TearDown() override { screen->release(); }

    // Opens the picker and answers its overlay with `selection`.
    Result<CaptureRegion> pick(std::optional<QRectF> selection, quint32 display = 0) {
        std::optional<Result<CaptureRegion>> answer;
        coordinator.selectRecordingArea(display ? display : displayID, [&](Result<CaptureRegion> result) {
            EXPECT_TRUE(isMainThread());
            EXPECT_FALSE(coordinator.busy()) << "busy is cleared before the answer";
            answer = std::move(result);
        });
        (void)QTest::qWaitFor([&] { return answer || harness.overlay.isOpen(); }, 5000);
        if (!answer && harness.overlay.isOpen()) harness.overlay.answer(selection);
        if (!QTest::qWaitFor([&] { return answer.has_value(); }, 5000)) return ShotError(QStringLiteral("没有回答"));
        return *answer;
    }

    static QString message(const Result<CaptureRegion>& result) {
        return result.ok() ? QString() : result.error().message();
    }
};

TEST_F(RecordingAreaPickerTest, AnswersTheDraggedAreaFromFortyPointsOnAndCancelsBelow) {
    const Result<CaptureRegion> square = pick(QRectF(100, 120, 40, 40));
    ASSERT_TRUE(square.ok()) << message(square).toStdString();
    EXPECT_EQ(square.value(), (CaptureRegion{displayID, QRectF(100, 120, 40, 40)}));

    EXPECT_EQ(message(pick(QRectF(100, 120, 39, 300))), messages::areaCancelled());
    EXPECT_EQ(message(pick(QRectF(100, 120, 300, 39.5))), messages::areaCancelled());
    EXPECT_EQ(message(pick(std::nullopt)), messages::areaCancelled()) << "Escape";

    ASSERT_EQ(harness.overlay.requests.size(), 4);
    const SelectionRequest& request = harness.overlay.requests.first();
    EXPECT_EQ(request.title, messages::recordingAreaTitle());
    EXPECT_EQ(request.prompt, messages::recordingAreaTitle());
    EXPECT_FALSE(request.windowMode);
    EXPECT_TRUE(test::samePixels(request.image, desktop)) << "the frozen display";
    EXPECT_EQ(harness.windows.hidden, 4);
    EXPECT_EQ(harness.windows.shown, 0) << "the studio shows its windows itself";
    EXPECT_FALSE(coordinator.lastRegion().has_value()) << "the picker never becomes the last area";
}

TEST_F(RecordingAreaPickerTest, ADisplayThatIsGoneIsNamed) {
    EXPECT_EQ(message(pick(QRectF(0, 0, 100, 100), 42)), messages::recordingScreenGone());
    EXPECT_TRUE(harness.overlay.requests.isEmpty());
}

TEST_F(RecordingAreaPickerTest, ThePickerAndStillCapturesWaitForEachOther) {
    std::optional<Result<CaptureRegion>> area;
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { area = std::move(result); });
    harness.start(CaptureMode::full);
    ASSERT_EQ(harness.answers.size(), 1u);
    EXPECT_EQ(harness.answers.front().error().message(), messages::busy());

    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    std::optional<Result<CaptureRegion>> second;
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { second = std::move(result); });
    ASSERT_TRUE(second.has_value()) << "refused at once";
    EXPECT_EQ(message(*second), messages::busy());
    harness.overlay.answer(QRectF(10, 10, 200, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return area.has_value(); }, 5000));
    EXPECT_TRUE(area->ok());

    harness.start(CaptureMode::area);
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { second = std::move(result); });
    EXPECT_EQ(message(*second), messages::busy());
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitForAnswer(2));
}

TEST_F(RecordingAreaPickerTest, TheSamplerTakesAFreshPictureOfTheRegionEachTime) {
    const CaptureRegion region{displayID, QRectF(300, 200, 320, 180)};
    std::optional<Result<CaptureCoordinator::RegionSampler>> made;
    coordinator.makeRegionSampler(region, [&](auto result) { made = std::move(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return made.has_value(); }, 5000));
    ASSERT_TRUE(made->ok());
    const CaptureCoordinator::RegionSampler sampler = made->value();

    const auto sample = [&] {
        std::optional<Result<QImage>> picture;
        sampler([&](Result<QImage> result) { picture = std::move(result); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return picture.has_value(); }, 5000));
        return picture.value_or(ShotError(QStringLiteral("没有回答")));
    };
    const Result<QImage> first = sample();
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(test::samePixels(first.value(), desktop.copy(300, 200, 320, 180)));
    const QImage later = fixtures::noise(1920, 1080, 3);
    screen->setDesktop(later);
    const Result<QImage> second = sample();
    ASSERT_TRUE(second.ok());
    EXPECT_TRUE(test::samePixels(second.value(), later.copy(300, 200, 320, 180)));
    EXPECT_FALSE(coordinator.busy());
    EXPECT_EQ(harness.windows.hidden, 0) << "sampling hides nothing";

    std::optional<Result<QImage>> once;
    coordinator.captureRegion(region, [&](Result<QImage> result) { once = std::move(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return once.has_value(); }, 5000));
    ASSERT_TRUE(once->ok());
    EXPECT_TRUE(test::samePixels(once->value(), later.copy(300, 200, 320, 180)));

    once.reset();
    coordinator.captureRegion(CaptureRegion{42, region.rect}, [&](Result<QImage> result) { once = std::move(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return once.has_value(); }, 5000));
    EXPECT_EQ(once->error().message(), ScrollMessages::screenGone());
}

}  // namespace
