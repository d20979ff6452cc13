// A video playing in the real program while its sound server is killed and
// started again, as a crash or an upgrade of the server does: play and pause
// still answer, closing the window (Ctrl+W, typed as a user types it) lets
// the video go within seconds, the program opens the next video handed to
// it, and SIGTERM ends it within seconds. The program runs on a session bus
// of the test's own, its controls pressed as a screen reader presses them,
// with a window manager and a PulseAudio server of the test's own.
#include "tests/app/ProgramUnderScreenReader.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/RealInput.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <csignal>

using namespace tavero;

namespace {

constexpr int waitMs = 30'000;
// What a user waits for a closed video to go quiet, or for the program to
// end, before taking it for hung.
constexpr int noticeMs = 5'000;

class PlayerSoundServerOnX11Test : public test::ProgramUnderScreenReader {
protected:
    void SetUp() override {
        if (!sound.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        ProgramUnderScreenReader::SetUp();
    }

    bool shownEnabled(const QString& button) {
        return QTest::qWaitFor(
            [&] {
                const std::optional<QStringList> states = reader.states(pushButton, button);
                return states && states->contains(QStringLiteral("enabled"));
            },
            waitMs);
    }

    // Presses `button` and waits for the player's button to be named `then`.
    bool toggles(const QString& button, const QString& then) {
        return QTest::qWaitFor([&] { return reader.act(pushButton, button, press); }, waitMs) &&
               QTest::qWaitFor([&] { return reader.shows(pushButton, then); }, waitMs);
    }

    bool closeWindowWithItsKey() {
        const std::optional<QString> windows =
            test::outputOf(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                       QStringLiteral("--pid"), QString::number(program.processId()),
                                                       QStringLiteral("--name"), QStringLiteral("^岚帧 Tavero$")});
        if (!windows || windows->trimmed().isEmpty()) return false;
        const QString window = windows->trimmed().split(QLatin1Char('\n')).first();
        return test::xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"),
                              QStringLiteral("ctrl+w")});
    }

    // Hands `file` to the running program as a second start would; whether
    // that start ended, handing it over.
    bool handedOver(const QString& file) {
        QProcess second;
        second.setProcessEnvironment(reader.environment());
        second.start(QStringLiteral(TAVERO_EXECUTABLE), {file});
        const bool ended = second.waitForFinished(waitMs) && second.exitCode() == 0;
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
        }
        return ended;
    }

    QString homeFile(const QString& name) const { return home.path() + QLatin1Char('/') + name; }

    // Whether the program has `file` open, as its descriptors in /proc say.
    bool holds(const QString& file) const {
        const QString wanted = QFileInfo(file).canonicalFilePath();
        QDirIterator descriptors(QStringLiteral("/proc/%1/fd").arg(program.processId()), QDir::Files | QDir::System);
        while (descriptors.hasNext())
            if (QFile::symLinkTarget(descriptors.next()) == wanted) return true;
        return false;
    }

    // How many sound streams the program plays into the test's server; none
    // when pactl cannot tell.
    std::optional<qsizetype> soundStreams() const {
        const std::optional<QString> streams =
            test::outputOf(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
        if (!streams) return std::nullopt;
        return streams->count(QStringLiteral("application.process.id = \"%1\"").arg(program.processId()));
    }

    test::SoundServer sound;
};

TEST_F(PlayerSoundServerOnX11Test, AVideoPlaysThroughARestartOfTheSoundServerAndTheProgramStillEnds) {
    const QString video = homeFile(QStringLiteral("讲解.mp4"));
    ASSERT_NO_FATAL_FAILURE(
        test::makeVideo(video, {.duration = 20.0, .size = QSize(640, 360), .audio = {test::systemTone}}));
    const QString next = homeFile(QStringLiteral("录屏.mp4"));
    ASSERT_NO_FATAL_FAILURE(test::makeVideo(next, {.duration = 3.0}));
    ASSERT_NO_FATAL_FAILURE(start({video}));
    const QString play = QStringLiteral("播放");
    const QString pause = QStringLiteral("暂停");
    ASSERT_TRUE(shownEnabled(play));
    ASSERT_TRUE(toggles(play, pause));
    QTest::qWait(1000);

    sound.kill();
    QTest::qWait(500);
    ASSERT_TRUE(sound.restart());
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(toggles(pause, play)) << round;
        ASSERT_TRUE(toggles(play, pause)) << round;
    }

    // Playing with its sound back, the video is closed as a user closes it:
    // its sound stops and its file is let go within seconds.
    ASSERT_TRUE(QTest::qWaitFor([&] { return soundStreams() >= 1; }, waitMs)) << "the sound is back";
    ASSERT_TRUE(holds(video));
    ASSERT_TRUE(closeWindowWithItsKey());
    EXPECT_TRUE(QTest::qWaitFor([&] { return soundStreams() == 0 && !holds(video); }, noticeMs))
        << "the video still plays or is held 5 s after Ctrl+W";
    EXPECT_TRUE(handedOver(next)) << "the program takes the next video";
    EXPECT_TRUE(QTest::qWaitFor([&] { return reader.shows(QStringLiteral("label"), QStringLiteral("0:00 / 0:03")); },
                                waitMs))
        << "the program answers and shows the next video";

    ASSERT_EQ(::kill(pid_t(program.processId()), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(noticeMs)) << "the program still runs 5 s after SIGTERM";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

}  // namespace
