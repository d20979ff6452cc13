// The player on a real display: a generated recording shows its first
// picture before it plays, plays with a sound server and without one, a
// change of video silences the old one, and a closed window lets the
// player's threads and graphics go until it opens again.
#include "editor_ui/ElidedLabel.h"
#include "platform/media/MoviePlayback.h"
#include "recording_ui/workspace/MoviePicture.h"
#include "tests/editor_ui/Samples.h"
#include "tests/recording_ui/workspace/WorkspaceFixture.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/ThreadNames.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QToolButton>

using namespace tavero;
using media::MoviePlayback;
using tavero::test::WorkspaceTest;

namespace {

constexpr int waitMs = 30'000;

bool waitUntilPlayable(MoviePlayer& player) {
    return QTest::qWaitFor([&] { return player.playback() && player.playback()->playable(); }, waitMs);
}

// Threads that decode a video or play its sound (the playback's, and the
// decoder's own, which take its name), or draw with Mesa's software OpenGL.
QStringList playerThreads() {
    QStringList found;
    for (const QString& name : test::threadNames())
        if (name.startsWith(QLatin1String("llvmpipe")) || name == QLatin1String("tavero-movie") ||
            name == QLatin1String("tavero-speaker"))
            found.append(name);
    return found;
}

// Plays for a while; whether the position went past `milliseconds`.
bool playsPast(MoviePlayback& playback, qint64 milliseconds) {
    return QTest::qWaitFor([&] { return playback.position() > milliseconds; }, waitMs);
}

class PlayerTest : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        recording = makeRecording(QStringLiteral("录屏_2026.mp4"),
                                  {.duration = 4.0, .size = {640, 360}, .audio = {test::systemTone}});
    }

    // Opens the recording in a shown workspace and presses play.
    MoviePlayback& play() {
        VideoWorkspace& view = open(recording);
        view.show();
        EXPECT_TRUE(waitUntilPlayable(*view.player()));
        view.player()->playButton()->click();
        return *view.player()->playback();
    }

    QString recording;
};

TEST_F(PlayerTest, AVideoOpenedPausedShowsItsFirstPicture) {
    test::NoSoundServer silence;
    MoviePlayback playback(recording);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.picture().isNull(); }, waitMs))
        << "the first picture shows before play is pressed";
    EXPECT_EQ(playback.picture().size(), QSize(640, 360));
    EXPECT_FALSE(playback.playing());
    EXPECT_TRUE(playback.playable());
    EXPECT_LT(playback.position(), 100);
}

TEST_F(PlayerTest, AnotherVideoNeverShowsThePictureOfTheOldOne) {
    test::NoSoundServer silence;
    VideoWorkspace& view = open(recording);
    view.show();
    const MoviePicture* picture = view.player()->picture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picture->shown().isNull(); }, waitMs));

    const QString broken = folder.file(QStringLiteral("坏.mp4"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a video");
    file.close();
    model().setVideoURL(broken);
    EXPECT_TRUE(picture->shown().isNull()) << "the old picture is gone at once";
    QTest::qWait(500);
    EXPECT_TRUE(picture->shown().isNull()) << "and nothing comes back for a file that cannot play";

    model().setVideoURL(makeRecording(QStringLiteral("讲解成片.mp4")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !picture->shown().isNull(); }, waitMs));
    const QSize shown = picture->shown().size();
    EXPECT_NEAR(double(shown.width()) / shown.height(), 4.0 / 3, 0.02) << "the new video's own first picture";
    EXPECT_TRUE(shown.width() == picture->width() || shown.height() == picture->height()) << "made to fill the picture";
}

TEST_F(PlayerTest, ARecordingPlaysWithoutASoundDevice) {
    test::NoSoundServer silence;
    MoviePlayback& playback = play();
    EXPECT_TRUE(playback.playing());
    EXPECT_TRUE(playsPast(playback, 500)) << "the picture runs without sound";
    EXPECT_EQ(playback.duration(), 4000);
}

TEST_F(PlayerTest, ARecordingPlaysWithItsSoundAndKeepsPlayingWhenShownAgain) {
    test::SoundServer sound;
    if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server here");
    MoviePlayback& playback = play();
    ASSERT_TRUE(playsPast(playback, 300));
    const qint64 before = playback.position();
    workspace->player()->setUrl(recording);
    EXPECT_EQ(workspace->player()->playback(), &playback) << "the same file keeps its playback";
    EXPECT_TRUE(playback.playing());
    EXPECT_GE(playback.position(), before);
    if (test::samplesWanted()) {
        ASSERT_TRUE(playsPast(playback, 1500));
        QTest::qWait(100);
        const QPixmap picture = workspace->screen()->grabWindow(workspace->winId());
        QDir().mkpath(qEnvironmentVariable("TAVERO_SAMPLES"));
        picture.save(qEnvironmentVariable("TAVERO_SAMPLES") + QStringLiteral("/video-workspace-playing.png"));
    }
}

TEST_F(PlayerTest, AnotherVideoPausesTheOldPlaybackBeforeTheNewOneWaitsForPlay) {
    test::NoSoundServer silence;
    MoviePlayback& old = play();
    ASSERT_TRUE(playsPast(old, 300));
    bool pausedBeforeGone = false;
    QObject::connect(&old, &MoviePlayback::changed, &old, [&] { pausedBeforeGone = !old.playing(); });
    const QString other = makeRecording(QStringLiteral("讲解成片.mp4"));
    model().setVideoURL(other);
    EXPECT_TRUE(pausedBeforeGone);
    MoviePlayback* next = workspace->player()->playback();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->path(), other);
    EXPECT_FALSE(next->playing()) << "the inline controls start it";
    ASSERT_TRUE(waitUntilPlayable(*workspace->player()));
    EXPECT_FALSE(next->playing());
    EXPECT_EQ(workspace->title()->text(), QStringLiteral("讲解成片.mp4"));
}

TEST_F(PlayerTest, AClosedWindowLetsThePlayerGoAndShowsTheVideoAgainWhereItWas) {
    test::NoSoundServer silence;
    MoviePlayback& playback = play();
    ASSERT_TRUE(playsPast(playback, 1000));
    playback.pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !playback.playing(); }, waitMs));
    const qint64 position = playback.position();
    EXPECT_FALSE(playerThreads().isEmpty()) << "the playback decodes on threads of its own";
    EXPECT_TRUE(playerThreads().filter(QStringLiteral("llvmpipe")).isEmpty())
        << "a display without direct rendering gets no software OpenGL";

    MoviePlayer& player = *workspace->player();
    workspace->hide();
    EXPECT_EQ(player.playback(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.picture()->shown().isNull() && playerThreads().isEmpty(); }, waitMs))
        << playerThreads().join(QLatin1Char(' ')).toStdString();

    workspace->show();
    ASSERT_TRUE(waitUntilPlayable(player));
    MoviePlayback& again = *player.playback();
    EXPECT_FALSE(again.playing());
    EXPECT_NEAR(double(again.position()), double(position), 200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player.picture()->shown().isNull(); }, waitMs)) << "its picture shows";
    player.playButton()->click();
    EXPECT_TRUE(playsPast(again, position + 300)) << "and it plays on";
}

}  // namespace
