#include "tests/recording/studio/StudioHarness.h"

#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

class RecordingStudioTest : public testing::Test {
protected:
    test::StudioHarness harness;
};

QVariant stored(const char* key) { return QSettings().value(QString::fromLatin1(key)); }

}  // namespace

TEST_F(RecordingStudioTest, KeepsOnlyItsSettingsAndFramingAcrossLaunchesAndIgnoresStoredValuesOfTheWrongKind) {
    RecordingStudio& first = harness.studio();
    EXPECT_TRUE(first.systemAudio());
    EXPECT_FALSE(first.microphone());
    EXPECT_EQ(first.notes(), QString());
    EXPECT_EQ(first.notesTransparency(), 0.65);
    EXPECT_EQ(first.notesSpeed(), 28);
    EXPECT_EQ(first.notesSize(), 27);
    EXPECT_TRUE(QSettings().allKeys().isEmpty()) << "nothing is written at creation";
    first.setSystemAudio(false);
    first.setMicrophone(true);
    first.setNotes(QStringLiteral("第一行\n第二行"));
    first.setNotesTransparency(0.4);
    first.setNotesSpeed(40);
    first.setNotesSize(33);
    first.setScope(RecordingScope::display);
    CameraFraming framing;
    framing.aspect = CameraAspect::portrait916;
    framing.cropScale = 0.5;
    first.setCameraFraming(framing);

    const auto second = harness.make();
    EXPECT_FALSE(second->systemAudio()) << "a stored \"false\" reads back false";
    EXPECT_TRUE(second->microphone());
    EXPECT_EQ(second->notes(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(second->notesTransparency(), 0.4);
    EXPECT_EQ(second->notesSpeed(), 28) << "the speed is not kept";
    EXPECT_EQ(second->notesSize(), 27) << "the size is not kept";
    EXPECT_EQ(second->scope(), RecordingScope::window) << "the scope is not kept";
    EXPECT_EQ(second->cameraFraming(), framing);

    QSettings().setValue(QStringLiteral("recording.systemAudio"), QStringLiteral("maybe"));
    QSettings().setValue(QStringLiteral("recording.notesTransparency"), QStringLiteral("half"));
    const auto third = harness.make();
    EXPECT_TRUE(third->systemAudio());
    EXPECT_EQ(third->notesTransparency(), 0.65);
}

TEST_F(RecordingStudioTest, AssigningTheValueAlreadyHeldStillWritesAndNotifies) {
    RecordingStudio& studio = harness.studio();
    studio.setNotes(QStringLiteral("稿子"));
    QSettings().remove(QStringLiteral("recording.notes"));
    QSignalSpy changes(&studio, &RecordingStudio::changed);
    studio.setNotes(QStringLiteral("稿子"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(stored("recording.notes").toString(), QStringLiteral("稿子"));

    QSignalSpy sheet(&studio, &RecordingStudio::setupVisibleChanged);
    studio.setSetupVisible(false);
    studio.setWindowID(studio.windowID());
    EXPECT_EQ(sheet.count(), 1);
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(RecordingStudioTest, TheCameraScopeSwitchesTheCameraOnEachTimeAndOnlyAnIdleStudioStopsIt) {
    test::TestStudio& studio = harness.studio();
    studio.setScope(RecordingScope::camera);
    studio.setScope(RecordingScope::camera);
    EXPECT_EQ(harness.webcam->starts, (std::vector<bool>{false, false})) << "started again, without microphone";
    studio.setScope(RecordingScope::window);
    EXPECT_TRUE(studio.cameraEnabled()) << "leaving the scope switches nothing off";

    QSignalSpy changes(&studio, &RecordingStudio::changed);
    harness.webcam->becomeReady(true);
    EXPECT_EQ(changes.count(), 1) << "views of the studio redraw when the camera changes";

    for (RecordingPhase phase : {RecordingPhase::countdown(2), RecordingPhase(Kind::stopping)}) {
        studio.setPhase(phase);
        studio.closeCameraPreview();
    }
    EXPECT_EQ(harness.webcam->stops, 0);
    studio.setPhase(Kind::idle);
    studio.closeCameraPreview();
    studio.setCameraEnabled(false);
    EXPECT_EQ(harness.webcam->stops, 2);
}

TEST_F(RecordingStudioTest, APortraitLayoutReachesTheCameraWriterAndTheOpenPictures) {
    test::TestStudio& studio = harness.studio();
    PortraitLayout layout;
    layout.shape = PortraitShape::square;
    studio.setPortrait(layout);
    EXPECT_EQ(harness.webcam->portrait().get(), layout);
    EXPECT_EQ(harness.portrait->updates, std::vector<PortraitLayout>{layout});
    EXPECT_TRUE(harness.overlayCalls.empty()) << "no border outside a take";

    studio.setPhase(Kind::recording);
    layout.width = 0.3;
    harness.portrait->userMoved(layout);
    EXPECT_EQ(studio.portrait(), layout);
    EXPECT_EQ(harness.webcam->portrait().get(), layout);
    EXPECT_EQ(harness.overlayCalls, std::vector<QString>{QStringLiteral("border")});

    studio.togglePortraitFullScreen();
    EXPECT_FALSE(studio.portrait().fullScreen) << "no take with the camera has started";
}

TEST_F(RecordingStudioTest, ADragOverAnEmptyAreaLeavesThePortraitWhereItWas) {
    test::TestStudio& studio = harness.studio();
    const PortraitLayout before = studio.portrait();
    for (const bool horizontal : {true, false}) {
        PortraitLayout moved = before;
        (horizontal ? moved.x : moved.y) = std::numeric_limits<double>::quiet_NaN();
        harness.portrait->userMoved(moved);
    }
    EXPECT_EQ(studio.portrait(), before);
    EXPECT_EQ(harness.webcam->portrait().get(), before);
    EXPECT_TRUE(harness.portrait->updates.empty());
}

TEST_F(RecordingStudioTest, APauseReportCountsOnlyWhileThePauseIsUnderWay) {
    test::TestStudio& studio = harness.studio();
    harness.recorder->seconds = 12.5;
    for (Kind kind : {Kind::recording, Kind::stopping}) {
        studio.setPhase(kind);
        harness.recorder->pauseDone();
        EXPECT_EQ(studio.phase(), RecordingPhase(kind));
    }
    EXPECT_TRUE(harness.model.status.isEmpty());
    EXPECT_EQ(harness.model.menuUpdated, 0);

    studio.setPhase(Kind::pausing);
    harness.recorder->pauseDone();
    EXPECT_EQ(studio.phase(), RecordingPhase(Kind::paused));
    EXPECT_EQ(studio.elapsed(), 12.5);
    EXPECT_EQ(harness.model.recording, false);
    EXPECT_EQ(harness.model.status, QStringLiteral("录屏已暂停 · 画面与声音均未录入 · Ctrl+Shift+P 继续"));
    EXPECT_EQ(harness.model.menuUpdated, 1);
    EXPECT_EQ(harness.overlayCalls, std::vector<QString>{QStringLiteral("state")});
}

TEST_F(RecordingStudioTest, CancellingARenderReachesTheExporter) {
    harness.studio().cancelExport();
    EXPECT_EQ(harness.exporter->cancels, 1);
}

TEST_F(RecordingStudioTest, AStudioWhoseModelIsGoneDoesNothing) {
    auto model = std::make_unique<test::StudioModel>(harness.screen, harness.home.desktop());
    RecordingStudio studio(*model);
    model.reset();
    studio.toggle(false);
    EXPECT_FALSE(studio.setupVisible());
    studio.refreshDiskSpace();
    EXPECT_FALSE(studio.availableDiskSpace());
    studio.cancelExport();
}

TEST_F(RecordingStudioTest, TheTeleprompterShowsFromTheTopWhenPreviewedAndStopsScrollingWhenHidden) {
    RecordingStudio& studio = harness.studio();
    studio.hideNotes();
    EXPECT_FALSE(studio.notesVisible());
    EXPECT_FALSE(studio.notesScrolling());
    EXPECT_EQ(harness.overlayCalls, std::vector<QString>{QStringLiteral("hideNotes")}) << "no panel is shown";

    studio.setNotesScrolling(true);
    studio.toggleNotes();
    EXPECT_TRUE(studio.notesVisible());
    EXPECT_TRUE(studio.notesScrolling()) << "showing leaves the scrolling as it was";
    studio.toggleNotes();
    EXPECT_FALSE(studio.notesVisible());
    EXPECT_EQ(harness.overlayCalls, (std::vector<QString>{QStringLiteral("hideNotes"), QStringLiteral("showNotes"),
                                                          QStringLiteral("hideNotes")}));

    const int reset = studio.notesReset();
    studio.previewNotes();
    studio.previewNotes();
    EXPECT_EQ(studio.notesReset(), reset + 2);
    EXPECT_TRUE(studio.notesVisible());
    EXPECT_FALSE(studio.notesScrolling()) << "a preview stands still";
    studio.setNotesScrolling(true);
    studio.hideNotes();
    EXPECT_FALSE(studio.notesVisible());
    EXPECT_FALSE(studio.notesScrolling());
}
