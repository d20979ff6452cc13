// The recording-area picker and the region sampler of the coordinator,
// over the fake screen with a scripted overlay.
#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "capture/ScrollMessages.h"
#include "platform/desktop/FakeScreenSource.h"
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
};

TEST_F(RecordingAreaPickerTest, AnswersTheDraggedAreaFromFortyPointsOnAndCancelsBelow) {
    const Result<CaptureRegion> square = pick(QRectF(100, 120, 40, 40));
    ASSERT_TRUE(square.ok()) << test::errorText(square).toStdString();
    EXPECT_EQ(square.value(), (CaptureRegion{displayID, QRectF(100, 120, 40, 40)}));

    EXPECT_EQ(test::errorText(pick(QRectF(100, 120, 39, 300))), messages::areaCancelled());
    EXPECT_EQ(test::errorText(pick(QRectF(100, 120, 300, 39.5))), messages::areaCancelled());
    EXPECT_EQ(test::errorText(pick(std::nullopt)), messages::areaCancelled()) << "Escape";

    ASSERT_EQ(harness.overlay.requests.size(), 4);
    EXPECT_EQ(harness.overlay.requests.first().prompt, messages::recordingAreaTitle());
    EXPECT_EQ(harness.windows.shown, 0) << "the studio shows its windows itself";
    EXPECT_FALSE(coordinator.lastRegion().has_value()) << "the picker never becomes the last area";
}

TEST_F(RecordingAreaPickerTest, ADisplayThatIsGoneIsNamed) {
    EXPECT_EQ(test::errorText(pick(QRectF(0, 0, 100, 100), 42)), messages::recordingScreenGone());
    EXPECT_TRUE(harness.overlay.requests.isEmpty());
}

TEST_F(RecordingAreaPickerTest, ThePickerAndStillCapturesWaitForEachOther) {
    std::optional<Result<CaptureRegion>> area;
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { area = std::move(result); });
    harness.start(CaptureMode::full);
    ASSERT_EQ(harness.answers.size(), 1u);
    EXPECT_EQ(test::errorText(harness.answers.front()), messages::busy());

    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    std::optional<Result<CaptureRegion>> second;
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { second = std::move(result); });
    ASSERT_TRUE(second.has_value()) << "refused at once";
    EXPECT_EQ(test::errorText(*second), messages::busy());
    harness.overlay.answer(QRectF(10, 10, 200, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return area.has_value(); }, 5000));
    EXPECT_TRUE(area->ok());

    second.reset();
    harness.start(CaptureMode::area);
    coordinator.selectRecordingArea(displayID, [&](Result<CaptureRegion> result) { second = std::move(result); });
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(test::errorText(*second), messages::busy());
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitForAnswer(2));
}

TEST_F(RecordingAreaPickerTest, TheSamplerTakesAFreshPictureOfTheRegionEachTime) {
    using test::answerOf;
    const CaptureRegion region{displayID, QRectF(300, 200, 320, 180)};
    const auto made = answerOf<Result<CaptureCoordinator::RegionSampler>>(
        [&](auto done) { coordinator.makeRegionSampler(region, done); });
    ASSERT_TRUE(made && made->ok());
    const CaptureCoordinator::RegionSampler sampler = made->value();

    const auto first = answerOf<Result<QImage>>(sampler);
    ASSERT_TRUE(first && first->ok());
    EXPECT_TRUE(test::samePixels(first->value(), desktop.copy(300, 200, 320, 180)));
    const QImage later = fixtures::noise(1920, 1080, 3);
    screen->setDesktop(later);
    const auto second = answerOf<Result<QImage>>(sampler);
    ASSERT_TRUE(second && second->ok());
    EXPECT_TRUE(test::samePixels(second->value(), later.copy(300, 200, 320, 180)));
    EXPECT_FALSE(coordinator.busy());
    EXPECT_EQ(harness.windows.hidden, 0) << "sampling hides nothing";

    const auto once = answerOf<Result<QImage>>([&](auto done) { coordinator.captureRegion(region, done); });
    ASSERT_TRUE(once && once->ok());
    EXPECT_TRUE(test::samePixels(once->value(), later.copy(300, 200, 320, 180)));
    const auto gone =
        answerOf<Result<QImage>>([&](auto done) { coordinator.captureRegion(CaptureRegion{42, region.rect}, done); });
    ASSERT_TRUE(gone.has_value());
    EXPECT_EQ(test::errorText(*gone), ScrollMessages::screenGone());
}

}  // namespace
