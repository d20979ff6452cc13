#include "app/model/AppModel.h"
#include "app/model/ModelMessages.h"
#include "capture/CaptureMessages.h"
#include "document/ShotDocument.h"
#include "recording/studio/RecordingStudio.h"
#include "tests/app/model/ModelHarness.h"
#include "tests/support/Disks.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/TestWindows.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace tavero;
using test::ModelHarness;
using std::chrono::hours;

namespace {

const QRectF area(100, 50, 300, 200);

// No explanation, no countdown and no capture came of a take.
bool nothingStarted(ModelHarness& harness) {
    QTest::qWait(30);
    return harness.overlay.requests.isEmpty() && harness.windows.hidden == 0 && harness.screen->grabCount() == 0 &&
           !harness.model().screenAccessIntent() && harness.model().countdown() == 0;
}

// X11 lets every program read the screen: nothing stands between the first
// request of a run and its capture or recording set-up.
TEST(ScreenshotActionsTest, WithAccessGrantedTheFirstRequestsGoAheadWithoutExplanation) {
    ModelHarness harness;
    AppModel& model = harness.model();
    EXPECT_TRUE(model.hasPermission());
    model.take(CaptureMode::area, false);
    EXPECT_FALSE(model.screenAccessIntent().has_value());
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(std::nullopt);
    ASSERT_TRUE(harness.waitUntilIdle());

    model.toggleRecording(true);
    EXPECT_FALSE(model.screenAccessIntent().has_value());
    EXPECT_TRUE(model.studio().setupVisible());
}

// Where the system asks the user first, the first take of a run explains why.
TEST(ScreenshotActionsTest, TheFirstTakeExplainsScreenAccessAndContinuingCapturesExactlyOnce) {
    ModelHarness harness;
    harness.screen->setAccessGranted(false);
    AppModel& model = harness.model();
    EXPECT_FALSE(model.hasPermission());
    model.take(CaptureMode::window, true);
    EXPECT_EQ(model.screenAccessIntent(), ScreenAccessIntent::screenshot(CaptureMode::window, true));
    EXPECT_EQ(harness.windowShown, 1);
    EXPECT_EQ(harness.windows.hidden, 0) << "nothing captured before the explanation is confirmed";

    model.confirmScreenAccess();
    EXPECT_FALSE(model.screenAccessIntent().has_value()) << "the sheet closes";
    EXPECT_TRUE(harness.overlay.requests.isEmpty()) << "the action waits until the sheet has closed";
    model.resumeScreenAction();
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    EXPECT_TRUE(harness.overlay.requests.front().windowMode) << "the same mode";
    EXPECT_TRUE(harness.overlay.requests.front().prompt.has_value()) << "and the same scrolling flag";
    harness.overlay.answer(std::nullopt);

    model.resumeScreenAction();
    QTest::qWait(30);
    EXPECT_EQ(harness.overlay.requests.size(), 1) << "replayed once only";

    model.take(CaptureMode::area, false);
    EXPECT_FALSE(model.screenAccessIntent().has_value()) << "explained once per run";
    EXPECT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(std::nullopt);
}

TEST(ScreenshotActionsTest, ADismissedSheetReplaysNothingAndAConfirmedRecordRequestOpensTheSetup) {
    ModelHarness harness;
    harness.screen->setAccessGranted(false);
    AppModel& model = harness.model();
    model.take(CaptureMode::area, false);
    model.setScreenAccessIntent(std::nullopt);
    model.resumeScreenAction();
    EXPECT_TRUE(nothingStarted(harness));

    model.toggleRecording(true);
    EXPECT_EQ(model.screenAccessIntent(), ScreenAccessIntent::recording(true)) << "still to be explained";
    EXPECT_FALSE(model.studio().setupVisible());
    model.confirmScreenAccess();
    model.resumeScreenAction();
    EXPECT_TRUE(model.studio().setupVisible());
    EXPECT_FALSE(model.recording());
}

// Guards 2 to 5 each stop the take before the explanation (guard 6) could show.
TEST(ScreenshotActionsTest, BusyRecordingStartingARunningRecorderAndACountdownEachStopATake) {
    {
        ModelHarness busy;
        busy.screen->holdWindows(true);
        busy.model().requestPermission();
        ASSERT_TRUE(busy.model().busy());
        busy.model().take(CaptureMode::area, false);
        EXPECT_TRUE(nothingStarted(busy));
    }
    {
        ModelHarness starting;
        starting.model().setRecordingStarting(true);
        starting.model().take(CaptureMode::full, false);
        EXPECT_TRUE(nothingStarted(starting));
    }
    {
        ModelHarness recording;
        recording.make(std::make_unique<test::RunningRecorder>());
        recording.model().take(CaptureMode::full, false);
        EXPECT_TRUE(nothingStarted(recording));
    }
    {
        ModelHarness counting;
        counting.make(nullptr, hours(1));
        counting.model().setCaptureDelay(3);
        counting.model().take(CaptureMode::full, false);
        ASSERT_EQ(counting.model().countdown(), 3);
        counting.model().setCaptureDelay(0);
        counting.model().take(CaptureMode::full, false);
        QTest::qWait(30);
        EXPECT_TRUE(counting.overlay.requests.isEmpty());
        EXPECT_EQ(counting.screen->grabCount(), 0) << "no capture besides the countdown";
        EXPECT_EQ(counting.model().countdown(), 3);
    }
}

TEST(ScreenshotActionsTest, TheCountdownHidesTheWindowsTicksDownAndThenCaptures) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setCaptureDelay(3);
    model.take(CaptureMode::full, false);
    EXPECT_EQ(model.countdown(), 3);
    EXPECT_EQ(harness.windows.hidden, 1) << "hidden by the model for the countdown";
    EXPECT_FALSE(model.busy()) << "no capture before the last tick";

    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.document().image().isNull(); }, 10'000));
    EXPECT_EQ(harness.menuCountdowns, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(harness.windows.hidden, 2) << "and by the coordinator for the capture";
    EXPECT_TRUE(test::samePixels(model.document().image(), harness.desktop));
}

TEST(ScreenshotActionsTest, CancellingTheCountdownCapturesNothingAndShowsTheWindow) {
    ModelHarness harness;
    harness.make(nullptr, hours(1));
    AppModel& model = harness.model();
    model.setCaptureDelay(5);
    model.take(CaptureMode::area, false);
    const int shown = harness.windowShown;

    model.cancelCountdown();
    EXPECT_EQ(model.countdown(), 0);
    EXPECT_EQ(harness.windowShown, shown + 1);
    EXPECT_EQ(harness.menuCountdowns, (std::vector<int>{5, 0}));

    EXPECT_TRUE(harness.overlay.requests.isEmpty());
}

TEST(ScreenshotActionsTest, ACancelledSelectionOnlySaysSoAndAFailedCaptureIsAnAlert) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.take(CaptureMode::area, false);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    const int shown = harness.windowShown;
    harness.overlay.answer(std::nullopt);
    EXPECT_EQ(model.status(), CaptureMessages::cancelled());
    EXPECT_FALSE(model.error().has_value()) << "no alert";
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(harness.windowShown, shown + 1);

    model.take(CaptureMode::area, false);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(QRectF(10, 10, 1, 1));
    EXPECT_EQ(model.error(), CaptureMessages::tooSmall());
    EXPECT_TRUE(model.document().image().isNull());
}

TEST(ScreenshotActionsTest, AnAreaCaptureOpensInTheEditorAndIsKeptFirstInTheLibrary) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setVideoURL(QStringLiteral("/tmp/录屏.mp4"));
    model.setFlow(WorkspaceFlow{true, ScreenshotPracticeStep::annotate});
    model.take(CaptureMode::area, false);
    ASSERT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(area);

    const QImage expected = harness.desktop.copy(area.toRect());
    EXPECT_TRUE(test::samePixels(model.document().image(), expected));
    EXPECT_EQ(model.flow(), (WorkspaceFlow{false, std::nullopt}));
    EXPECT_FALSE(model.videoURL().has_value());
    EXPECT_TRUE(model.hasPermission());

    ASSERT_TRUE(QTest::qWaitFor([&] { return model.history().size() == 1; }, 10'000));
    const CaptureRecord record = model.history().front();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^截图_\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d_[0-9A-F]{6}\\.png$"))
                    .match(record.file)
                    .hasMatch())
        << record.file.toStdString();
    EXPECT_TRUE(test::samePixels(QImage(harness.libraryFile(record.file)), expected));
}

TEST(ScreenshotActionsTest, WithoutAutoSaveNothingIsWritten) {
    ModelHarness harness;
    AppModel& model = harness.model();
    model.setAutoSave(false);
    model.take(CaptureMode::full, false);
    ASSERT_TRUE(harness.waitForStatus(ModelMessages::captureReady()));
    EXPECT_EQ(harness.windows.hidden, 1) << "without delay only the coordinator hides the windows";
    QTest::qWait(100);
    EXPECT_EQ(model.status(), ModelMessages::captureReady());
    EXPECT_TRUE(model.history().isEmpty());
    EXPECT_FALSE(QFile::exists(harness.libraryFile(QStringLiteral("index.json"))));
}

TEST(ScreenshotActionsTest, AFailedPermissionRequestOnlySaysWhyAndAnAnsweredOneSkipsTheExplanation) {
    ModelHarness harness;
    harness.screen->setAccessGranted(false);
    harness.screen->failWindows(true);
    AppModel& model = harness.model();
    model.requestPermission();
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_FALSE(model.hasPermission());
    EXPECT_EQ(model.status(), CaptureMessages::noService());
    EXPECT_FALSE(model.error().has_value());

    harness.screen->failWindows(false);
    model.requestPermission();
    ASSERT_TRUE(harness.waitUntilIdle());
    EXPECT_TRUE(model.hasPermission());
    EXPECT_EQ(model.status(), ModelMessages::permissionConfirmed());

    model.take(CaptureMode::area, false);
    EXPECT_FALSE(model.screenAccessIntent().has_value());
    EXPECT_TRUE(harness.overlay.waitUntilOpen());
    harness.overlay.answer(std::nullopt);
}

}  // namespace

// A nearly full home as a user meets it: screenshots until the disk is full.
// The alert and the status say so, every listed picture opens, and a save
// that fails leaves the library exactly as it was.
TEST(ScreenshotActionsTest, OnAFullDiskTheUserIsToldAndTheHistoryStaysWhole) {
    ModelHarness harness;
    const test::SmallDisk disk(400 * 1024, harness.library());
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("mounting a small file system needs root");
    harness.screen->setDesktop(fixtures::noise(200, 150, 5));
    AppModel& model = harness.model();
    const auto takeOne = [&] {
        const qsizetype listed = model.history().size();
        model.setError(std::nullopt);
        model.take(CaptureMode::full, false);
        return QTest::qWaitFor([&] { return model.history().size() > listed || model.error().has_value(); }, 10'000);
    };
    for (int i = 0; i < 20 && !model.error(); ++i) ASSERT_TRUE(takeOne());
    const QString full = QStringLiteral("磁盘空间不足，无法保存。");
    ASSERT_EQ(model.error(), full);
    EXPECT_EQ(model.status(), full);
    EXPECT_GE(model.history().size(), 2);
    EXPECT_EQ(harness.manifestOnDisk(), model.history());
    for (const CaptureRecord& record : model.history())
        EXPECT_EQ(QImage(harness.libraryFile(record.file)).size(), QSize(200, 150)) << record.file.toStdString();

    const QByteArray before = test::folderDigest(harness.library());
    ASSERT_TRUE(takeOne());
    EXPECT_EQ(model.error(), full);
    EXPECT_EQ(test::folderDigest(harness.library()), before);
    EXPECT_FALSE(model.busy());
    EXPECT_EQ(model.document().image().size(), QSize(200, 150)) << "the capture is still open to be edited";
}
