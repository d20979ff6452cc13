#include "capture/CaptureCoordinator.h"
#include "capture/CaptureMessages.h"
#include "platform/desktop/FakeScreenSource.h"
#include "tests/capture/CaptureHarness.h"
#include "tests/support/Pictures.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace tavero;
using tavero::test::CaptureHarness;
using tavero::test::errorText;
namespace messages = tavero::CaptureMessages;

namespace {

DisplayInfo display(const QString& name, const QRect& pixels, double scale = 1) {
    DisplayInfo info;
    info.name = name;
    info.id = displayIdentifier(name);
    info.pixelFrame = pixels;
    info.scale = scale;
    return info;
}

WindowInfo window(quint32 id, const QRect& frame, std::optional<qint64> process, int layer = 0) {
    WindowInfo info;
    info.id = id;
    info.frame = frame;
    info.processID = process;
    info.layer = layer;
    return info;
}

class CaptureCoordinatorTest : public testing::Test {
protected:
    std::shared_ptr<FakeScreenSource> screen = std::make_shared<FakeScreenSource>();
    QImage desktop = fixtures::noise(1920, 1080, 5);
    DisplayInfo main = screen->displays().first();

    void SetUp() override {
        screen->setDesktop(desktop);
        screen->setPointer(QPoint(500, 500));
    }
    void TearDown() override { screen->release(); }
};

TEST_F(CaptureCoordinatorTest, FullScreenHidesTheProgramAndAnswersTheWholeDisplay) {
    CaptureHarness harness(screen);
    const Result<QImage> shot = harness.run(CaptureMode::full);
    ASSERT_TRUE(shot.ok()) << errorText(shot).toStdString();
    EXPECT_EQ(shot.value(), desktop);
    EXPECT_EQ(harness.windows.hidden, 1);
    EXPECT_EQ(harness.windows.shown, 0) << "the caller shows the windows again";
    EXPECT_FALSE(harness.coordinator->lastRegion().has_value());
}

TEST_F(CaptureCoordinatorTest, WaitsForHiddenWindowsToLeaveTheScreenAtMostTheSettleTime) {
    CaptureTiming timing = CaptureHarness::quickTiming();
    timing.settle = std::chrono::minutes(1);
    CaptureHarness harness(screen, timing);
    // From the tray nothing was hidden: no wait, although it could last a minute.
    ASSERT_TRUE(harness.run(CaptureMode::full).ok());
    EXPECT_TRUE(screen->unmapWaits().isEmpty());
    harness.windows.onScreen = {11, 12};
    ASSERT_TRUE(harness.run(CaptureMode::full).ok());
    EXPECT_EQ(screen->unmapWaits(), (QList<QList<quint32>>{{11, 12}}));

    // A screen that never confirms holds the capture up for the settle time only.
    timing.settle = std::chrono::milliseconds(50);
    CaptureHarness limited(screen, timing);
    screen->holdUnmapWaits(true);
    limited.windows.onScreen = {13};
    EXPECT_TRUE(limited.run(CaptureMode::full).ok());
}

TEST_F(CaptureCoordinatorTest, ASecondCaptureIsRefusedAtOnceWithoutDisturbingTheFirst) {
    CaptureHarness harness(screen);
    harness.start(CaptureMode::area);
    std::optional<QString> refusedWhileSettling;
    harness.coordinator->capture(CaptureMode::full, false,
                                 [&](Result<QImage> result) { refusedWhileSettling = result.error().message(); });
    EXPECT_EQ(refusedWhileSettling, messages::busy()) << "answered synchronously";

    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    EXPECT_EQ(screen->windowPixelHolds(), 0) << "an area needs no window's own pixels";
    std::optional<QString> refusedWhileSelecting;
    harness.coordinator->capture(CaptureMode::window, false,
                                 [&](Result<QImage> result) { refusedWhileSelecting = result.error().message(); });
    EXPECT_EQ(refusedWhileSelecting, messages::busy());
    EXPECT_TRUE(harness.coordinator->busy());

    harness.overlay.answer(QRectF(10, 10, 100, 100));
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_TRUE(harness.answers.front().ok());
    EXPECT_FALSE(harness.coordinator->busy());
}

TEST_F(CaptureCoordinatorTest, AnAreaIsCroppedOutwardToPixelsAndRemembered) {
    CaptureHarness harness(screen);
    const QRectF selection(10.5, 20.2, 100, 50);
    const Result<QImage> shot = harness.run(CaptureMode::area, selection);
    ASSERT_TRUE(shot.ok());
    EXPECT_EQ(shot.value(), desktop.copy(10, 20, 101, 51));
    EXPECT_EQ(harness.overlay.requests.first().image, desktop) << "the overlay shows the frozen screen";
    EXPECT_EQ(harness.coordinator->lastRegion(), (CaptureRegion{main.id, selection}));
    EXPECT_EQ(CaptureCoordinator(screen).lastRegion(), (CaptureRegion{main.id, selection})) << "read back from the defaults";
}

TEST_F(CaptureCoordinatorTest, EscapeCancelsAndKeepsTheLastArea) {
    CaptureHarness harness(screen);
    harness.coordinator->setLastRegion(CaptureRegion{main.id, QRectF(1, 2, 30, 40)});
    EXPECT_EQ(errorText(harness.run(CaptureMode::area, std::nullopt)), messages::cancelled());
    EXPECT_EQ(harness.coordinator->lastRegion(), (CaptureRegion{main.id, QRectF(1, 2, 30, 40)}));
    EXPECT_FALSE(harness.coordinator->overlayOpen());
}

TEST_F(CaptureCoordinatorTest, PreviousCropsTheStoredAreaClippedAtTheEdgeOrRefusesATinyOrLostOne) {
    CaptureHarness harness(screen);
    harness.coordinator->setLastRegion(CaptureRegion{main.id, QRectF(1900, 1070, 100, 100)});
    const Result<QImage> clipped = harness.run(CaptureMode::previous);
    ASSERT_TRUE(clipped.ok());
    EXPECT_EQ(clipped.value(), desktop.copy(1900, 1070, 20, 10));
    EXPECT_TRUE(harness.overlay.requests.isEmpty());

    harness.coordinator->setLastRegion(CaptureRegion{main.id, QRectF(5, 5, 1.5, 1)});
    EXPECT_EQ(errorText(harness.run(CaptureMode::previous)), messages::tooSmall());
    harness.coordinator->setLastRegion(CaptureRegion{main.id, QRectF(1e300, 0, 1e300, 10)});
    EXPECT_EQ(errorText(harness.run(CaptureMode::previous)), messages::tooSmall());
    harness.coordinator->setLastRegion(CaptureRegion{12345, QRectF(0, 0, 100, 100)});
    EXPECT_EQ(errorText(harness.run(CaptureMode::previous)), messages::noScreen());
    EXPECT_FALSE(harness.coordinator->busy());
}

TEST_F(CaptureCoordinatorTest, PreviousScalesPointsToPixels) {
    const DisplayInfo retina = display(QStringLiteral("retina"), QRect(0, 0, 1920, 1080), 2);
    screen->setDisplays({retina});
    CaptureHarness harness(screen);
    harness.coordinator->setLastRegion(CaptureRegion{retina.id, QRectF(100, 50, 200, 100)});
    const Result<QImage> shot = harness.run(CaptureMode::previous);
    ASSERT_TRUE(shot.ok());
    EXPECT_EQ(shot.value(), desktop.copy(200, 100, 400, 200));
}

TEST_F(CaptureCoordinatorTest, TheSnapshotWatchdogAnswersOnceAndIgnoresALateGrab) {
    CaptureTiming timing = CaptureHarness::quickTiming();
    timing.snapshotDeadline = std::chrono::milliseconds(50);
    CaptureHarness harness(screen, timing);
    screen->holdGrabs(true);
    harness.start(CaptureMode::full);
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_EQ(errorText(harness.answers.front()), messages::snapshotTimeout());
    EXPECT_FALSE(harness.coordinator->busy());

    screen->release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->grabCount() > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(harness.answers.size(), 1u);
}

TEST_F(CaptureCoordinatorTest, TheContentWatchdogAndALostScreenAnswerWithTheirSentences) {
    CaptureTiming timing = CaptureHarness::quickTiming();
    timing.contentDeadline = std::chrono::milliseconds(50);
    CaptureHarness harness(screen, timing);
    screen->holdWindows(true);
    harness.start(CaptureMode::full);
    ASSERT_TRUE(harness.waitForAnswer());
    EXPECT_EQ(errorText(harness.answers.front()), messages::contentTimeout());
    screen->release();
    QTest::qWait(50);
    EXPECT_EQ(harness.answers.size(), 1u);

    screen->failWindows(true);
    EXPECT_EQ(errorText(harness.run(CaptureMode::full)), messages::noService());
}

TEST(CaptureWithoutAScreen, FailsWithItsSentencesInsteadOfCrashing) {
    CaptureHarness harness(nullptr);
    EXPECT_EQ(errorText(harness.run(CaptureMode::full)), messages::noScreen());
    const auto content =
        test::answerOf<Result<ShareableContent>>([&](auto done) { harness.coordinator->content(done); });
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(errorText(*content), messages::noService());
}

class WindowModeTest : public CaptureCoordinatorTest {
protected:
    const qint64 ours = QCoreApplication::applicationPid();
    QImage ownPixels = fixtures::noise(400, 300, 9);

    void SetUp() override {
        CaptureCoordinatorTest::SetUp();
        screen->setWindows({
            window(4, QRect(150, 150, 30, 40), 77),    // front, but only 30 wide
            window(3, QRect(140, 140, 60, 60), ours),  // ours
            window(2, QRect(100, 100, 400, 300), 42),
            window(1, QRect(0, 0, 1920, 1080), 41),
        });
        screen->setWindowImage(2, ownPixels);
    }
};

TEST_F(WindowModeTest, AClickPicksTheFrontmostWindowThatIsNeitherTinyNorOurs) {
    CaptureHarness harness(screen);
    harness.start(CaptureMode::window);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    EXPECT_EQ(screen->windowPixelHolds(), 1) << "windows keep their own pixels while one is picked";
    harness.overlay.answer(QRectF(160, 160, 1, 1));
    ASSERT_TRUE(harness.waitForAnswer());
    const Result<QImage> shot = harness.answers.front();
    EXPECT_EQ(screen->windowPixelHolds(), 0) << "and no longer once it is taken";
    ASSERT_TRUE(shot.ok()) << errorText(shot).toStdString();
    EXPECT_EQ(shot.value(), ownPixels);
    EXPECT_TRUE(harness.overlay.requests.first().windowMode);
    EXPECT_FALSE(harness.coordinator->lastRegion().has_value());

    screen->setWindows({window(3, QRect(140, 140, 60, 60), ours)});
    EXPECT_EQ(errorText(harness.run(CaptureMode::window, QRectF(160, 160, 1, 1))), messages::noWindow());
}

TEST_F(WindowModeTest, AScrollingSelectionTargetsTheOwnerOfTheOrdinaryWindowUnderIt) {
    screen->setWindows({
        window(5, QRect(0, 0, 1920, 40), 1, 20),  // a dock above
        window(6, QRect(0, 0, 1920, 1080), 1),
    });
    CaptureHarness harness(screen);
    ASSERT_TRUE(harness.run(CaptureMode::area, QRectF(0, 0, 200, 60), true).ok());
    ASSERT_TRUE(harness.coordinator->targetApplication().has_value());
    EXPECT_EQ(harness.coordinator->targetApplication()->processID, 1);
}

}  // namespace
