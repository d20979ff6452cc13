// The video workspace without a display: what it says about the shown video
// and its recording project, the render's progress, the trim fields, and
// files it cannot play.
#include "editor_ui/ElidedLabel.h"
#include "platform/media/MoviePlayback.h"
#include "recording/RecordingMessages.h"
#include "recording_ui/RecordingEffectControls.h"
#include "tests/support/Files.h"
#include "tests/recording_ui/workspace/WorkspaceFixture.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

#include <sys/stat.h>

using namespace tavero;
using tavero::test::WorkspaceTest;

namespace {

const QString raw = QStringLiteral("/videos/录屏_1.mp4");
const QString finished = QStringLiteral("/videos/讲解成片_1.mp4");

WorkspaceState withProject(std::optional<QString> rawURL, std::optional<QString> outputURL,
                           std::optional<bool> portraitBaked = std::nullopt) {
    RecordingProject project;
    project.sourceFile = QStringLiteral("录屏_1.mp4");
    project.portraitBaked = portraitBaked;
    return {false, 0, project, std::move(rawURL), std::move(outputURL)};
}

const QString plainFooter = QStringLiteral("录屏以 MP4 保存；GIF 适合 30 秒以内的片段。");
const QString projectFooter = QStringLiteral("原片保留；录制画面保持清晰；鼠标带动缩放，只有外侧背景柔焦。");
const QString bakedFooter = QStringLiteral("人像和画面效果已保存在视频中，可直接裁剪或导出。");

TEST_F(WorkspaceTest, AVideoWithoutAProjectShowsOnlyItsNameThePlayerAndThePlainFooter) {
    VideoWorkspace& view = open(QStringLiteral("/videos/<b>会议<i>.mp4"));
    EXPECT_EQ(view.title()->text(), QStringLiteral("<b>会议<i>.mp4")) << "drawn as it is";
    EXPECT_FALSE(shows(view.progressRow()));
    EXPECT_FALSE(shows(view.versionRow()));
    EXPECT_EQ(view.footer()->text(), plainFooter);
    EXPECT_EQ(view.startField()->text(), QStringLiteral("0"));
    EXPECT_EQ(view.endField()->text(), QStringLiteral("10"));
    EXPECT_EQ(view.gifButton()->toolTip(), QStringLiteral("30 秒以内，8 帧/秒，最长边 960 像素"));
    // What a screen reader names them.
    EXPECT_EQ(view.startField()->accessibleName(), QStringLiteral("裁剪开始秒数"));
    EXPECT_EQ(view.endField()->accessibleName(), QStringLiteral("裁剪结束秒数"));
    EXPECT_EQ(view.player()->playButton()->accessibleName(), QStringLiteral("播放"));
    EXPECT_EQ(view.player()->positionSlider()->accessibleName(), QStringLiteral("播放进度"));
}

TEST_F(WorkspaceTest, TheVersionRowNamesTheShownVersionAndOffersTheOther) {
    VideoWorkspace& view = open(raw);
    view.showState(withProject(raw, finished));
    ASSERT_TRUE(shows(view.versionRow()));
    EXPECT_EQ(view.versionLabel()->text(), QStringLiteral("原始录屏"));
    EXPECT_FALSE(shows(view.rawButton()));
    EXPECT_TRUE(shows(view.finishedButton()));
    EXPECT_TRUE(shows(view.effectsButton()));
    EXPECT_EQ(view.footer()->text(), projectFooter);

    view.finishedButton()->click();
    EXPECT_EQ(model().videoURL(), finished);
    EXPECT_EQ(view.url(), finished) << "the workspace follows the model";
    view.showState(withProject(raw, finished));
    EXPECT_EQ(view.versionLabel()->text(), QStringLiteral("讲解成片"));
    EXPECT_TRUE(shows(view.rawButton()));
    EXPECT_FALSE(shows(view.finishedButton()));
    view.rawButton()->click();
    EXPECT_EQ(model().videoURL(), raw);

    model().setVideoURL(finished);
    view.showState(withProject(std::nullopt, finished));
    EXPECT_EQ(view.versionLabel()->text(), QStringLiteral("讲解成片")) << "finished only";
    EXPECT_FALSE(shows(view.rawButton()));
    EXPECT_FALSE(shows(view.finishedButton()));

    view.showState(withProject(QStringLiteral("/elsewhere/a.mp4"), QStringLiteral("/elsewhere/b.mp4")));
    EXPECT_FALSE(shows(view.versionRow())) << "a project of other files";
    EXPECT_EQ(view.footer()->text(), projectFooter);
}

// A recording's project may name a raw video without a picture to read,
// here a FIFO: switching to it says so, as opening it does.
TEST_F(WorkspaceTest, SwitchingToARawVideoWithoutAPictureToReadSaysSo) {
    const QString shown = makeRecording(QStringLiteral("讲解成片.mp4"), {.duration = 1.0, .size = QSize(64, 48)});
    const test::Fifo pipe(folder.file(QStringLiteral("录屏.mp4")));
    RecordingProject project;
    project.version = 1;
    project.sourceFile = QStringLiteral("录屏.mp4");
    project.save(shown);
    model().open(shown);
    VideoWorkspace& view = open(shown);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shows(view.rawButton()); }, 10'000));

    view.rawButton()->click();
    EXPECT_EQ(view.url(), pipe.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return model().error().has_value(); }, 10'000));
    EXPECT_EQ(model().error(), RecordingMessages::videoUnreadable());
    EXPECT_EQ(model().status(), RecordingMessages::videoUnreadable());
    EXPECT_EQ(model().videoURL(), pipe.path()) << "the workspace stays, as after opening";
}

TEST_F(WorkspaceTest, APortraitBakedIntoTheVideoOffersNoEffects) {
    VideoWorkspace& view = open(raw);
    view.showState(withProject(raw, std::nullopt, true));
    EXPECT_EQ(view.versionLabel()->text(), QStringLiteral("人像成片"));
    EXPECT_FALSE(shows(view.effectsButton()));
    EXPECT_EQ(view.footer()->text(), bakedFooter);

    view.showState(withProject(raw, std::nullopt, false));
    EXPECT_EQ(view.versionLabel()->text(), QStringLiteral("原始录屏"));
    EXPECT_TRUE(shows(view.effectsButton()));
}

TEST_F(WorkspaceTest, TheRenderShowsItsTruncatedPercentageAndLocksTheEffects) {
    VideoWorkspace& view = open(raw);
    WorkspaceState state = withProject(raw, std::nullopt);
    state.processing = true;
    for (const auto& [progress, text] : std::initializer_list<std::pair<double, const char*>>{
             {0.426, "正在生成讲解成片 · 42% · 原片已保存"},
             {0.999, "正在生成讲解成片 · 99% · 原片已保存"},
             {1.0, "正在生成讲解成片 · 100% · 原片已保存"},
             {std::nan(""), "正在生成讲解成片 · 0% · 原片已保存"}}) {
        state.progress = progress;
        view.showState(state);
        EXPECT_EQ(view.progressLabel()->text(), QString::fromUtf8(text)) << progress;
    }
    state.progress = 0.426;
    view.showState(state);
    EXPECT_TRUE(shows(view.progressRow()));
    QAccessibleValueInterface* bar = QAccessible::queryAccessibleInterface(view.progressBar())->valueInterface();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->currentValue().toInt(), 42) << "a screen reader reads the percentage shown";
    EXPECT_EQ(bar->maximumValue().toInt(), 100);
    EXPECT_FALSE(view.effectsButton()->isEnabled());
    EXPECT_TRUE(view.cancelButton()->isEnabled());
    EXPECT_TRUE(view.trimButton()->isEnabled()) << "only the effects wait for the render";

    state.processing = false;
    view.showState(state);
    EXPECT_FALSE(shows(view.progressRow()));
    EXPECT_TRUE(view.effectsButton()->isEnabled());
}

TEST(EffectsPopoverPlace, ItOpensBelowItsButtonAboveItWhenTheScreenEndsAndStaysOnTheScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(340, 300);
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(900, 400, 80, 30), screen), QPoint(770, 434));
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(900, 800, 80, 30), screen), QPoint(770, 496))
        << "no room below: above the button, so its render button can be pressed";
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(1860, 400, 60, 30), screen), QPoint(1580, 434))
        << "kept inside the right edge";
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(0, 400, 60, 30), screen), QPoint(0, 434));
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(900, 746, 80, 30), screen), QPoint(770, 780)) << "just fits below";
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(900, 747, 80, 30), screen), QPoint(770, 443));
    EXPECT_EQ(EffectsPopover::placeFor(size, QRect(900, 100, 80, 30), QRect(0, 0, 1920, 400)), QPoint(770, 100))
        << "room on neither side: whole on the screen, over the button";
}

TEST_F(WorkspaceTest, TheEffectsPopoverClosesBeforeTheRenderStarts) {
    VideoWorkspace& view = open(raw);
    view.showState(withProject(raw, std::nullopt));
    view.effectsButton()->click();
    ASSERT_NE(view.effectsPopover(), nullptr);
    EXPECT_TRUE(view.effectsPopover()->isVisible());
    EXPECT_EQ(view.effectsPopover()->width(), EffectsPopover::fixedWidth);
    view.effectsPopover()->renderButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.effectsPopover(), nullptr);

    view.effectsButton()->click();
    ASSERT_NE(view.effectsPopover(), nullptr) << "it opens again";
    view.effectsPopover()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.effectsPopover(), nullptr);
}

// A sidecar from elsewhere may hold any number; the popover shows the ends
// of its sliders.
TEST_F(WorkspaceTest, TheEffectsPopoverShowsASidecarsHugeNumbersAtTheEndsOfItsSliders) {
    const QString video = folder.file(QStringLiteral("录屏_巨大.mp4"));
    test::writeFile(video, "video");
    test::writeFile(RecordingProject::sidecar(video),
                    R"({"version":1,"sourceFile":"录屏_巨大.mp4","targetName":"t","duration":2,"samples":[],)"
                    R"("effects":{"zoom":1e308,"padding":1e308,"blur":1e308}})");
    model().open(video);
    ASSERT_TRUE(QTest::qWaitFor([&] { return studio().currentProject().has_value(); }));

    model().setVideoURL(video);
    workspace = std::make_unique<VideoWorkspace>(model(), studio(), video, QStringLiteral("0"), QStringLiteral("10"),
                                                 [](RecordingStudio& bound, QWidget* parent) {
                                                     return RecordingEffectControls::forStudio(bound, parent);
                                                 });
    workspace->effectsButton()->click();
    ASSERT_NE(workspace->effectsPopover(), nullptr);
    const auto* controls = workspace->effectsPopover()->findChild<RecordingEffectControls*>();
    ASSERT_NE(controls, nullptr);
    EXPECT_EQ(controls->zoomText(), QStringLiteral("2.20×"));
    EXPECT_EQ(controls->paddingText(), QStringLiteral("14%"));
    EXPECT_EQ(controls->blurText(), QStringLiteral("48"));
    workspace->effectsPopover()->close();
}

TEST_F(WorkspaceTest, TrimFieldsTakeTheWholeTextAsANumber) {
    VideoWorkspace& view = open(makeRecording(QStringLiteral("录屏.mp4")));
    const auto trimWith = [&](const QString& start, const QString& end) {
        trims.clear();
        view.startField()->setText(start);
        view.endField()->setText(end);
        view.trimButton()->click();
        harness.waitUntilIdle();
        return trims;
    };
    using Trims = std::vector<std::pair<double, double>>;
    EXPECT_EQ(trimWith(QStringLiteral("1.5"), QStringLiteral("4")), (Trims{{1.5, 4.0}}));
    EXPECT_EQ(trimWith(QStringLiteral("+1e0"), QStringLiteral(".5")), (Trims{{1.0, 0.5}})) << "the range is the model's";
    for (const char* bad : {" 1", "1 ", "1,5", "", "inf", "nan", "-inf", "0x10", "1e999", "1.5s", "++1", "+-1"}) {
        EXPECT_TRUE(trimWith(QString::fromUtf8(bad), QStringLiteral("4")).empty()) << bad;
        EXPECT_TRUE(trimWith(QStringLiteral("1"), QString::fromUtf8(bad)).empty()) << bad;
    }
}

// A field without a number is refused as a range past the video's end is.
TEST_F(WorkspaceTest, ATrimFieldWithoutANumberSaysWhatIsWrong) {
    VideoWorkspace& view = open(makeRecording(QStringLiteral("录屏.mp4")));
    for (const auto& [start, end] : {std::pair(QStringLiteral("abc"), QStringLiteral("4")),
                                     std::pair(QStringLiteral("1"), QStringLiteral("1.5s"))}) {
        model().setStatus(QString());
        view.startField()->setText(start);
        view.endField()->setText(end);
        view.trimButton()->click();
        EXPECT_EQ(model().error(), RecordingMessages::trimRangeInvalid()) << start.toStdString();
        EXPECT_EQ(model().status(), RecordingMessages::trimRangeInvalid());
        EXPECT_FALSE(model().busy());
        model().setError(std::nullopt);
    }
    EXPECT_TRUE(trims.empty()) << "nothing is cut";
}

TEST_F(WorkspaceTest, ReturningToThePictureLeavesTheVideoAndLetsThePlaybackGo) {
    VideoWorkspace& view = open(makeRecording(QStringLiteral("录屏.mp4")));
    ASSERT_NE(view.player()->playback(), nullptr);
    view.backButton()->click();
    EXPECT_EQ(model().videoURL(), std::nullopt);
    EXPECT_EQ(view.player()->playback(), nullptr);
}

// None of these may crash the player: each opens with the workspace's own
// line, an empty picture and controls that cannot be pressed.
TEST_F(WorkspaceTest, FilesThatCannotBePlayedOpenQuietly) {
    const QString empty = folder.file(QStringLiteral("空.mp4"));
    QFile(empty).open(QIODevice::WriteOnly);
    const QString garbage = folder.file(QStringLiteral("乱码.mp4"));
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const QString cut = makeRecording(QStringLiteral("截断.mp4"), {.truncateAt = 600});
    const QString gone = makeRecording(QStringLiteral("删除.mp4"));
    QFile::remove(gone);
    const QString corrupt = makeRecording(QStringLiteral("坏工程.mp4"));
    {
        QFile sidecar(RecordingProject::sidecar(corrupt));
        ASSERT_TRUE(sidecar.open(QIODevice::WriteOnly));
        sidecar.write("{\"version\":1,\"sourceFile\":");
    }
    const QString pipe = folder.file(QStringLiteral("管道.mp4"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0) << "a reader of it would wait for a writer";
    for (const QString& video : {empty, garbage, cut, gone, pipe, corrupt}) {
        SCOPED_TRACE(video.toStdString());
        model().open(video);
        ASSERT_EQ(model().videoURL(), video);
        VideoWorkspace& view = open(video);
        MoviePlayer& player = *view.player();
        // Long enough for the backend to give up on the file, or to load it.
        QTest::qWait(video == corrupt ? 0 : 400);
        EXPECT_EQ(view.footer()->text(), plainFooter);
        EXPECT_FALSE(shows(view.versionRow()));
        if (video == corrupt) continue;
        EXPECT_FALSE(player.playback()->playable());
        EXPECT_FALSE(player.playButton()->isEnabled());
        player.playButton()->click();
        player.playback()->play();
        EXPECT_FALSE(player.playback()->playing());
        EXPECT_EQ(player.timeLabel()->text(), QStringLiteral("0:00 / 0:00"));
    }
}

// Two pictures 3,000,000 s apart (833 hours, 3e9 ms past an int): 播放进度
// counts within its range, the time shows hours, and the slider's end is
// the video's end.
TEST_F(WorkspaceTest, AVideoLongerThanTheSliderCountsInMillisecondsStillSeeksAndShowsHours) {
    const QString video = folder.file(QStringLiteral("长.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeSparseVideo(video, 3e6));
    MoviePlayer& player = *open(video).player();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.playback()->playable(); }, 20'000));
    EXPECT_TRUE(player.timeLabel()->text().startsWith(QStringLiteral("0:00:00 / 833:20:0")))
        << player.timeLabel()->text().toStdString();
    ShownValueSlider& slider = *player.positionSlider();
    EXPECT_GT(slider.maximum(), 0);
    slider.setValue(slider.maximum() / 2);
    EXPECT_NEAR(double(player.playback()->position()), 1.5e9, 1e6);
    slider.setValue(slider.maximum());
    EXPECT_EQ(player.playback()->position(), player.playback()->duration());
    EXPECT_TRUE(player.timeLabel()->text().startsWith(QStringLiteral("833:20:0")))
        << player.timeLabel()->text().toStdString();
}

}  // namespace
