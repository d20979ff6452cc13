#include "platform/files/FreeSpace.h"
#include "recording/RecordingDiskSpace.h"
#include "tests/recording/studio/StudioHarness.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <map>
#include <string>

#include <gtest/gtest.h>

using namespace tavero;
using Kind = RecordingPhase::Kind;

namespace {

const QString interruption = QStringLiteral("录屏被系统中断。");

class TakeTest : public testing::Test {
protected:
    TakeTest() {
        DisplayInfo display;
        display.name = QStringLiteral("L");
        display.id = displayIdentifier(display.name);
        display.pixelFrame = QRect(0, 0, 1920, 1080);
        screen = display;
        harness.screen->setDisplays({display});
        harness.screen->setDesktop(QImage(1920, 1080, QImage::Format_RGBA8888_Premultiplied));
        harness.screen->setPointer(QPoint(100, 100));
    }

    test::TestStudio& studio() { return harness.studio(); }

    // The set-up sheet open on the whole display, its targets read.
    void prepare(RecordingScope scope = RecordingScope::display) {
        studio().prepare();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().loadingTargets(); }, 5000));
        studio().setScope(scope);
    }
    void countDown() { harness.clock.advance(Seconds(3)); }
    // Started, counted down and writing.
    void record() {
        studio().start();
        countDown();
        harness.recorder->started();
    }
    // The recorder's video of `seconds`, on disk as the session leaves it.
    RecordedVideo video(double seconds, std::optional<QString> interrupted = std::nullopt) const {
        test::writeFile(*harness.recorder->destination, "video");
        return {*harness.recorder->destination, seconds, std::move(interrupted)};
    }
    void finish(const RecordedVideo& video) {
        harness.recorder->stopping();
        harness.recorder->finished(video);
    }
    bool waitForLibrary(int saves) {
        return QTest::qWaitFor([&] { return harness.model.savedCount == saves; }, 5000);
    }

    QString library() const { return harness.model.localLibrary.root(); }
    QStringList files(const QString& pattern) const { return QDir(library()).entryList({pattern}, QDir::Files); }

    std::optional<qint64> freeBytes = 100'000'000'000;
    FreeSpace::ScopedProbe probe{[this](const QString&) { return freeBytes; }};
    test::StudioHarness harness;
    DisplayInfo screen;
};

}  // namespace

TEST_F(TakeTest, CountsDownThreeTwoOneASecondApartAndStartsTheRecorderOnTheThirdTick) {
    prepare();
    studio().start();
    EXPECT_EQ(harness.model.status, QStringLiteral("倒计时 3 秒，准备录制…"));
    EXPECT_EQ(harness.model.editorHidden, 1);
    EXPECT_EQ(harness.overlayCalls, std::vector<QString>{QStringLiteral("show")});
    harness.clock.advance(Seconds(0.999));
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(3));
    harness.clock.advance(Seconds(0.001));
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(2));
    harness.clock.advance(Seconds(1));
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(1));
    EXPECT_FALSE(harness.recorder->destination);
    harness.clock.advance(Seconds(1));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::starting));
    EXPECT_EQ(harness.model.status, QStringLiteral("正在启动录屏…"));
    ASSERT_TRUE(harness.recorder->destination);
    const QFileInfo destination(*harness.recorder->destination);
    EXPECT_EQ(destination.absolutePath(), library());
    EXPECT_TRUE(destination.fileName().startsWith(QStringLiteral("录屏_")) &&
                destination.fileName().endsWith(QStringLiteral(".mp4")))
        << destination.fileName().toStdString();
    ASSERT_TRUE(harness.recorder->screen);
    EXPECT_EQ(harness.recorder->screen->display.id, screen.id);
    EXPECT_TRUE(harness.recorder->screen->cursor);

    harness.recorder->started();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::recording));
    EXPECT_EQ(harness.model.recording, true);
    EXPECT_FALSE(harness.model.recordingStarting);
    EXPECT_TRUE(harness.sounds.isEmpty()) << "no chime while the computer's own sound is recorded";
}

TEST_F(TakeTest, StoppingTheCountdownLeavesNoFileEvenWhenTheBackgroundStillArrivesLate) {
    prepare();
    studio().start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !files(QStringLiteral("录屏背景_*.png")).isEmpty(); }, 5000));
    QTest::qWait(100);
    studio().stop();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_EQ(harness.model.status, QStringLiteral("已取消录制，尚未开始。"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return files(QStringLiteral("*")).isEmpty(); }, 5000));
    harness.clock.advance(Seconds(5));
    EXPECT_FALSE(harness.recorder->destination) << "the cancelled countdown's ticks start nothing";

    harness.screen->holdGrabs(true);
    studio().start();
    studio().stop();
    harness.screen->release();
    QTest::qWait(500);
    EXPECT_TRUE(files(QStringLiteral("*")).isEmpty());
}

TEST_F(TakeTest, TheTakesSoundStartsWithTheCountdownAndItsPartsTakeItOver) {
    prepare();
    studio().start();
    EXPECT_EQ(harness.sound.opened, 1) << "flowing before the first part begins";
    EXPECT_EQ(harness.sound.inputs, QList<SoundInput>{SoundInput::system});
    studio().stop();
    EXPECT_EQ(harness.sound.running, 0) << "a cancelled countdown lets it go";

    studio().start();
    harness.clock.advance(Seconds(3));
    ASSERT_TRUE(harness.recorder->screen);
    std::unique_ptr<SoundCapture> part = harness.recorder->screen->openSound({SoundInput::system}, {}, {});
    EXPECT_EQ(harness.sound.opened, 2) << "the part hears the take's stream";
    harness.recorder->started();
    studio().stop();
    harness.recorder->finished(ShotError(QStringLiteral("录制失败")));
    EXPECT_EQ(harness.sound.running, 1) << "the last part lets go of it first";
    part.reset();
    EXPECT_EQ(harness.sound.running, 0);
}

TEST_F(TakeTest, AnUndecidedMicrophoneAsksFirstAndAGrantStartsTheTakeOnlyWhileTheSheetIsOpen) {
    prepare();
    studio().setMicrophone(true);
    harness.microphone->state = MicrophoneAuthorization::notDetermined;
    studio().start();
    EXPECT_TRUE(studio().requestingMicrophone());
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_FALSE(studio().canStart());
    harness.microphone->answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().phase() == RecordingPhase::countdown(3); }, 5000));
    EXPECT_FALSE(studio().requestingMicrophone());
    EXPECT_EQ(studio().microphoneAuthorization(), MicrophoneAuthorization::authorized);
    studio().stop();

    harness.microphone->state = MicrophoneAuthorization::notDetermined;
    studio().start();
    studio().setSetupVisible(false);
    harness.microphone->answer(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().requestingMicrophone(); }, 5000));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle)) << "the sheet closed meanwhile";

    harness.microphone->state = MicrophoneAuthorization::notDetermined;
    studio().start();
    harness.microphone->answer(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !studio().requestingMicrophone(); }, 5000));
    EXPECT_EQ(studio().targetError(), QStringLiteral("麦克风未授权。可打开麦克风设置，或关闭麦克风后录制。"));

    studio().start();
    EXPECT_EQ(harness.microphone->prompts, 3) << "a refusal is not asked again";
    EXPECT_EQ(studio().targetError(), QStringLiteral("麦克风未授权。可在系统设置中允许，或关闭麦克风。"));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
}

// The server is asked again at every start: what the sheet showed may be old.
TEST_F(TakeTest, NoTakeCountsDownWithoutTheSoundItRecords) {
    prepare();
    const int asked = harness.sound.asked;
    EXPECT_GT(asked, 0) << "the sheet shows what the server offers";
    studio().setMicrophone(true);
    harness.sound.offered = {true, std::nullopt};
    studio().start();
    EXPECT_EQ(studio().targetError(), QStringLiteral("没有找到麦克风。请接上麦克风，或关闭麦克风后录制。"));
    EXPECT_EQ(studio().soundIssue(), studio().targetError());
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    EXPECT_TRUE(studio().setupVisible());
    EXPECT_EQ(harness.sound.opened, 0) << "no sound opened, no countdown";
    EXPECT_EQ(harness.sound.asked, asked + 1);

    studio().setMicrophone(false);
    EXPECT_EQ(studio().soundIssue(), std::nullopt) << "the computer's sound alone can be had";
    studio().start();
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(3));
    studio().stop();

    harness.sound.offered = {};
    studio().start();
    EXPECT_EQ(studio().targetError(),
              QStringLiteral("无法连接声音服务。请确认系统声音可用，或关闭系统声音和麦克风后录制。"));
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle));
    studio().setSystemAudio(false);
    const int askedBefore = harness.sound.asked;
    studio().start();
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(3)) << "a silent take needs no server";
    EXPECT_EQ(harness.sound.asked, askedBefore) << "nor is one asked";
    studio().stop();

    harness.sound.offered = {true, QStringLiteral("USB 麦克风")};
    studio().setMicrophone(true);
    studio().start();
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(3)) << "a microphone plugged in since";
    EXPECT_EQ(studio().soundSources(), harness.sound.offered);
}

TEST_F(TakeTest, FreeSpaceBelowTwoGigabytesStopsTheTakeWithItsReasonAndTheClockStopsWithIt) {
    prepare();
    record();
    freeBytes = 1'999'999'999;
    harness.clock.advance(Seconds(1.8));
    EXPECT_TRUE(harness.recorder->stops.empty()) << "free space is read every 2 s";
    harness.clock.advance(Seconds(0.2));
    EXPECT_EQ(harness.recorder->stops, (std::vector<std::optional<QString>>{
                                           QStringLiteral("可用空间不足 2 GB，已提前停止并保存当前录制。请腾出空间后继续。")}));
    harness.recorder->stopping();
    EXPECT_EQ(harness.model.status, QStringLiteral("正在保存并检查录屏原片…"));
    harness.clock.advance(Seconds(5));
    studio().stop();
    EXPECT_EQ(harness.recorder->stops.size(), 1u) << "a stopping take is left to finish";
}

// P the pause key and S the stop key, pressed in one turn of the event loop
// while the recorder closes (p) or opens (s) a part; the first row's pending
// press must not outlive its take.
TEST_F(TakeTest, PressesWhileAPartClosesOrOpensCountOnceItHasAndAStopForgetsThem) {
    using enum Kind;
    const std::vector<std::pair<std::string, std::vector<Kind>>> rows{
        {"PPpsPPSp", {pausing, pausing, resuming, recording, pausing, pausing, stopping, stopping}},
        {"PpPPsPPp", {pausing, paused, resuming, resuming, pausing, pausing, pausing, paused}}};
    const std::map<char, std::function<void()>> events{
        {'P', [&] { studio().togglePause(); }}, {'S', [&] { studio().stop(); }},
        {'p', [&] { harness.recorder->pauseDone(); }}, {'s', [&] { harness.recorder->started(); }}};
    prepare();
    for (const auto& [script, expected] : rows) {
        record();
        std::vector<Kind> phases;
        for (const char event : script) {
            events.at(event)();
            phases.push_back(studio().phase().kind());
        }
        EXPECT_EQ(phases, expected) << script;
        finish(video(1));
    }
}

TEST_F(TakeTest, ATakeThatEndedEarlyIsKeptAndSaysSoOnThreeLinesWithoutARender) {
    prepare();
    record();
    harness.tracker->setSamples({{12.0, 0.5, 0.5, true, false},
                                 {12.34, 0.5, 0.5, true, true},
                                 {12.35, 0.5, 0.5, true, false}});
    const RecordedVideo take = video(12.34, interruption);
    finish(take);
    EXPECT_EQ(harness.model.videoURL(), take.url);
    EXPECT_EQ(harness.sounds, QStringList{QStringLiteral("Pop")});
    ASSERT_TRUE(waitForLibrary(1));

    const QString message = QStringLiteral("已保存 12.3 秒原片。\n") + interruption + QStringLiteral("\n文件：") +
                            QFileInfo(take.url).fileName();
    EXPECT_EQ(harness.model.status, message);
    EXPECT_EQ(harness.model.error, message);
    EXPECT_EQ(studio().renders, 0);

    const std::optional<RecordingProject> project = RecordingProject::load(take.url);
    ASSERT_TRUE(project);
    QList<double> times;
    for (const CursorSample& sample : project->samples) times.append(sample.time);
    EXPECT_EQ(times, (QList<double>{12.0, 12.34})) << "the sample at the very end stays, a later one goes";
    EXPECT_EQ(project->sourceFile, QFileInfo(take.url).fileName());
    EXPECT_EQ(project->targetName, QStringLiteral("全屏 · 1920 × 1080"));
    EXPECT_EQ(project->effects, RecordingEffects());
    EXPECT_EQ(project->portraitBaked, false);
    EXPECT_FALSE(project->cameraFraming);
}

TEST_F(TakeTest, OnlyAFinishedTakeWithAnEffectOnIsRenderedOnceItIsInTheLibrary) {
    prepare();
    RecordingEffects off;
    off.autoZoom = false;
    off.backgroundBlur = false;
    studio().setEffects(off);
    record();
    finish(video(5));
    ASSERT_TRUE(waitForLibrary(1));
    EXPECT_TRUE(harness.model.status.startsWith(QStringLiteral("已保存：录屏_")));
    EXPECT_EQ(studio().renders, 0);
    EXPECT_TRUE(files(QStringLiteral("录屏背景_*")).isEmpty()) << "no still without the blur";

    studio().setEffects(RecordingEffects());
    record();
    finish(video(5));
    EXPECT_EQ(studio().renders, 0) << "not before the library has the take";
    ASSERT_TRUE(waitForLibrary(2));
    EXPECT_EQ(studio().renders, 1);
}

TEST_F(TakeTest, CameraTakesKeepTheirPictureAsRecordedAndOnlyTheCameraAloneKeepsItsFraming) {
    prepare(RecordingScope::camera);
    harness.webcam->becomeReady(true);
    studio().start();
    EXPECT_EQ(studio().phase(), RecordingPhase(Kind::idle)) << "the camera is started first";
    harness.webcam->answer(true);
    EXPECT_EQ(studio().phase(), RecordingPhase::countdown(3));
    countDown();
    ASSERT_TRUE(harness.recorder->camera);
    EXPECT_FALSE(harness.recorder->camera->screen);
    EXPECT_EQ(harness.sound.opened, 0) << "the camera alone records the camera's sound";
    harness.recorder->started();
    finish(video(3));
    EXPECT_EQ(studio().currentProject()->effects.enabled(), false);
    EXPECT_EQ(studio().effects().enabled(), false) << "the effects shown follow the take";
    EXPECT_EQ(studio().currentProject()->portraitBaked, true);
    EXPECT_EQ(studio().currentProject()->cameraFraming, studio().cameraFraming());

    studio().setScope(RecordingScope::display);
    studio().setSetupVisible(true);
    studio().start();
    harness.webcam->answer(true);
    countDown();
    ASSERT_TRUE(harness.recorder->camera && harness.recorder->camera->screen);
    EXPECT_EQ(harness.recorder->camera->screen->display.id, screen.id);
    EXPECT_EQ(harness.sound.opened, 1);
    EXPECT_TRUE(harness.recorder->camera->screen->openSound) << "its parts take the take's sound over";
    harness.recorder->started();
    finish(video(3));
    EXPECT_EQ(studio().currentProject()->portraitBaked, true);
    EXPECT_FALSE(studio().currentProject()->cameraFraming);
    EXPECT_FALSE(studio().currentProject()->effects.enabled());
}
