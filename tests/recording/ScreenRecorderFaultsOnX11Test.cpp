// What becomes of a screen take of the real recorder, on a bare Xvfb with a
// private PulseAudio server, when its program is killed, its window closes,
// its disk fills up, its monitor is turned off (Xorg's dummy driver with two
// monitors), its microphone is unplugged or the sound server goes away or is
// not there.
#include "platform/desktop/X11ScreenSource.h"
#include "platform/files/FreeSpace.h"
#include "recording/RecordedVideoValidation.h"
#include "recording/ScreenRecorder.h"
#include "tests/support/Disks.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/Pictures.h"
#include "tests/support/RealInput.h"
#include "tests/support/SkipUnlessRequired.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/Tones.h"

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>

using namespace tavero;

namespace {

using Clock = std::chrono::steady_clock;

class Canvas : public QRasterWindow {
public:
    explicit Canvas(const QRect& place) : picture_(fixtures::screenshotLike(place.width(), place.height())) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(place);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture_); }

private:
    QImage picture_;
};

// Noise that is drawn anew at every frame once asked to: more than the
// encoder can make small.
class NoiseWindow : public QRasterWindow {
public:
    explicit NoiseWindow(const QRect& place) {
        setFlags(Qt::Window | Qt::FramelessWindowHint);
        setGeometry(place);
        timer_.setInterval(15);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ++seed_;
            update();
        });
    }
    void startChanging() { timer_.start(); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, fixtures::noise(width(), height(), seed_)); }

private:
    QTimer timer_;
    quint32 seed_ = 1;
};

class ScreenRecorderFaultsTest : public testing::Test {
protected:
    X11ScreenSource screen;
    test::TempDir dir;
    const QString take = dir.file(QStringLiteral("录屏.mp4"));
    ScreenRecorder recorder;
    std::optional<Result<RecordedVideo>> finished;

    void SetUp() override {
        recorder.onFinished = [this](Result<RecordedVideo> result) { finished = std::move(result); };
    }

    void startArea(bool sound, const std::optional<WindowInfo>& window = std::nullopt) { startAreaInto(take, sound, window); }
    void startAreaInto(const QString& path, bool sound, const std::optional<WindowInfo>& window = std::nullopt) {
        const QList<DisplayInfo> displays = screen.displays();
        ASSERT_FALSE(displays.isEmpty());
        recorder.start({displays, {}}, displays.first(), QRectF(200, 150, 640, 400), window, path, sound, sound,
                       false);
    }

    bool waitForState(RecordingSessionState state) {
        return QTest::qWaitFor([&] { return recorder.state() == state; }, 20'000);
    }

    // Until the take holds `seconds` of video, however slowly the machine
    // lets it record.
    bool recordUntil(double seconds) {
        return QTest::qWaitFor([&] { return recorder.elapsed() >= seconds; }, 60'000);
    }

    // The joined take holds its parts end to end: at least the seconds that
    // were waited for, and no more than the time the take ran, with the one
    // frame each part's last picture lasts (a still screen is grabbed once a
    // second, so the parts end up to a second after the seconds waited for).
    void expectJoinedParts(const RecordedVideo& joined, double waitedFor, Seconds running) {
        double parts = 0;
        for (const RecordedVideo& part : recorder.segments()) parts += part.duration;
        EXPECT_NEAR(joined.duration, parts, 0.1);
        EXPECT_GE(joined.duration, waitedFor - 0.05);
        EXPECT_LE(joined.duration, running.count() + double(recorder.segments().size()) / 30);
    }

    // Until the part being recorded plays `seconds` from its file: its
    // fragments up to there have reached the disk.
    bool partOnDiskPlays(double seconds) {
        const QString part = QDir(recorder.partsDirectory()).filePath(RecordingSession::partFileName(recorder.partNumber()));
        return QTest::qWaitFor(
            [&] {
                try {
                    return RecordedVideoValidation::duration(part) >= seconds;
                } catch (const ShotError&) {
                    return false;
                }
            },
            60'000);
    }

    // A pause and a resume, each waited for: the take's next part begins.
    void pauseAndResume() {
        recorder.pause();
        ASSERT_TRUE(waitForState(RecordingSessionState::paused));
        recorder.resume();
        ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    }

    // The take's joined video; fails the test without one.
    RecordedVideo video() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, 60'000));
        if (!finished || !*finished) {
            ADD_FAILURE() << "no video: " << (finished ? finished->error().message().toStdString() : "no answer");
            return {};
        }
        return finished->value();
    }
};

TEST_F(ScreenRecorderFaultsTest, APartOfAKilledProgramPlaysToItsLastSeconds) {
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(TAVERO_RECORD_UNTIL_KILLED), {take});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(program.waitForReadyRead(20'000)) << "the recording never began";
    const QString part = QString::fromUtf8(program.readLine()).trimmed();
    QTest::qWait(6000);
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished());
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);

    EXPECT_GE(RecordedVideoValidation::duration(part), 4.0);
    EXPECT_FALSE(QFileInfo::exists(take)) << "nothing was joined";
}

TEST_F(ScreenRecorderFaultsTest, AWindowClosedDuringATakeEndsItAndTheTakeStillJoins) {
    auto window = std::make_unique<Canvas>(QRect(300, 200, 400, 300));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get(), 5000));
    const WindowInfo info{quint32(window->winId()), window->frameGeometry(), QCoreApplication::applicationPid(), 0,
                          QString(), std::nullopt};
    const Clock::time_point started = Clock::now();
    ASSERT_NO_FATAL_FAILURE(startArea(false, info));
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(1.5));
    ASSERT_NO_FATAL_FAILURE(pauseAndResume());
    ASSERT_TRUE(recordUntil(3.0));
    window.reset();
    const Seconds running = Clock::now() - started;

    const RecordedVideo joined = video();
    EXPECT_EQ(joined.interruption, QStringLiteral("录制被系统中断（窗口已关闭）。"));
    EXPECT_EQ(recorder.segments().size(), 2);
    expectJoinedParts(joined, 3.0, running);
    EXPECT_EQ(joined.url, take);
}

TEST_F(ScreenRecorderFaultsTest, ASoundServerGoneDuringATakeEndsItAndKeepsWhatWasRecorded) {
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_NO_FATAL_FAILURE(startArea(true));
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(2.0));
    server.kill();

    const RecordedVideo joined = video();
    EXPECT_EQ(joined.interruption, QStringLiteral("录制被系统中断（声音服务已断开）。"));
    EXPECT_GE(joined.duration, 1.8);
    EXPECT_EQ(joined.url, take);
}

TEST_F(ScreenRecorderFaultsTest, AFullDiskEndsThePartAtItsLastFragmentAndTheJoinRefusesForSpaceKeepingTheParts) {
    test::SmallDisk disk(3 << 20);
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("no right to mount a small file system");
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    // The disk passes for roomy until the take's second part runs; from then
    // on its real free space counts.
    std::atomic<bool> roomy{true};
    const FreeSpace::ScopedProbe probe([&roomy](const QString& path) {
        return roomy ? std::optional<qint64>(100'000'000'000) : FreeSpace::statvfsProbe(path);
    });
    NoiseWindow window(QRect(200, 150, 640, 400));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
    const QString onDisk = disk.path() + QStringLiteral("/录屏.mp4");
    ASSERT_NO_FATAL_FAILURE(startAreaInto(onDisk, true));
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(1.5));
    ASSERT_NO_FATAL_FAILURE(pauseAndResume());
    ASSERT_TRUE(recordUntil(recorder.elapsed() + 2.5));
    // The muxer writes a fragment once every track has reached its end,
    // which a busy machine may delay.
    ASSERT_TRUE(partOnDiskPlays(2.0));
    roomy = false;
    window.startChanging();

    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, 60'000));
    ASSERT_FALSE(*finished) << "joined on a full disk";
    const QString folder = recorder.partsDirectory();
    EXPECT_EQ(finished->error().message(),
              QStringLiteral("未能合并录屏：空间不足以合并片段，请腾出空间。\n已录制的片段仍保留在：\n") + folder);
    ASSERT_EQ(recorder.segments().size(), 2);
    EXPECT_EQ(recorder.segments()[1].interruption, QStringLiteral("磁盘空间不足，录制已中断。请腾出空间后继续。"));
    for (const RecordedVideo& part : recorder.segments()) {
        EXPECT_TRUE(QFileInfo::exists(part.url));
        EXPECT_NEAR(RecordedVideoValidation::duration(part.url), part.duration, 1e-3) << "each part plays as listed";
    }
    EXPECT_GE(recorder.segments()[1].duration, 2.0) << "the second part keeps its fragments before the disk filled";
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList())
        << "no joined file, nor a hidden half of one";
}

// The disk fills before the take's first second reaches it: the take says
// that nothing was recorded, and leaves neither a file nor a parts folder.
TEST_F(ScreenRecorderFaultsTest, AFullDiskBeforeTheFirstSecondEndsTheTakeWithNothingRecorded) {
    test::SmallDisk disk(1 << 20);
    if (!disk.mounted()) TAVERO_SKIP_UNLESS_REQUIRED("no right to mount a small file system");
    // Room for a part's header, not for a picture of noise.
    ASSERT_TRUE(disk.fill(8192));
    const FreeSpace::ScopedProbe probe([](const QString&) { return std::optional<qint64>(100'000'000'000); });
    NoiseWindow window(QRect(200, 150, 640, 400));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
    ASSERT_NO_FATAL_FAILURE(startAreaInto(disk.path() + QStringLiteral("/录屏.mp4"), false));

    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, 60'000));
    ASSERT_FALSE(*finished) << "a take of nothing";
    EXPECT_EQ(finished->error().message(),
              QStringLiteral("录制被系统中断（无法写入录屏文件）。\n本次没有生成可播放的录屏文件。"));
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("filler")});
}

TEST_F(ScreenRecorderFaultsTest, AMonitorTurnedOffDuringATakeEndsItAndTheTakeStillJoins) {
    const QList<DisplayInfo> displays = screen.displays();
    if (displays.size() < 2) GTEST_SKIP() << "needs two monitors";
    const DisplayInfo& removed = displays[1];
    const Clock::time_point started = Clock::now();
    recorder.start({displays, {}}, removed, QRectF(100, 100, 640, 400), std::nullopt, take, false, false, false);
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(1.5));
    ASSERT_NO_FATAL_FAILURE(pauseAndResume());
    ASSERT_TRUE(recordUntil(3.0));
    ASSERT_TRUE(test::outputOf(QStringLiteral("xrandr"), {QStringLiteral("--output"), removed.name, QStringLiteral("--off")}));
    const Seconds running = Clock::now() - started;

    const RecordedVideo joined = video();
    EXPECT_EQ(joined.interruption, QStringLiteral("录制被系统中断（显示器已断开）。"));
    EXPECT_EQ(recorder.segments().size(), 2);
    expectJoinedParts(joined, 3.0, running);
    EXPECT_EQ(joined.url, take);
    EXPECT_NEAR(RecordedVideoValidation::duration(take), joined.duration, 1e-3);
}

// A computer without a microphone of its own, whose default input is the
// monitor: its one microphone is recorded, and unplugging it ends the take.
TEST_F(ScreenRecorderFaultsTest, AMicrophoneUnpluggedDuringATakeEndsItAndKeepsWhatWasRecorded) {
    test::SoundServer server(440);
    if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
    ASSERT_TRUE(server.makeMonitorTheDefaultInput());
    ASSERT_NO_FATAL_FAILURE(startArea(true));
    ASSERT_TRUE(waitForState(RecordingSessionState::recording));
    ASSERT_TRUE(recordUntil(2.0));
    ASSERT_TRUE(server.unplugMicrophone());

    const RecordedVideo joined = video();
    EXPECT_EQ(joined.interruption, QStringLiteral("录制被系统中断（麦克风已断开）。"));
    EXPECT_GE(joined.duration, 1.8);
    EXPECT_EQ(joined.url, take);
    EXPECT_GT(test::pictureTimes(take).size(), 1) << "the picture is kept";
    const std::vector<float> heard = test::decodeSound(take);
    EXPECT_GT(test::toneAmplitude(heard, 48000, 440), 0.05) << "the microphone, not the default monitor";
    EXPECT_FALSE(QFileInfo::exists(recorder.partsDirectory())) << "joined, and its parts gone";
}

// Whatever refuses the sound, no file and no parts folder is left.
TEST_F(ScreenRecorderFaultsTest, WithoutTheSoundItRecordsNothingStartsAndNothingIsLeft) {
    const auto refusal = [this]() -> QString {
        try {
            startArea(true);
        } catch (const ShotError& error) {
            return error.message();
        }
        return QStringLiteral("started");
    };
    {
        test::SoundServer server(440);
        if (!server.running()) TAVERO_SKIP_UNLESS_REQUIRED("no PulseAudio server could be started");
        ASSERT_TRUE(server.unplugMicrophone());
        EXPECT_EQ(refusal(), QStringLiteral("没有找到麦克风。"));
        EXPECT_EQ(recorder.state(), RecordingSessionState::idle);
        EXPECT_FALSE(QFileInfo::exists(recorder.partsDirectory()));
    }
    const test::NoSoundServer none;
    EXPECT_EQ(refusal(), QStringLiteral("无法连接声音服务，请确认系统声音可用后重试。"));
    EXPECT_EQ(recorder.state(), RecordingSessionState::idle);
    EXPECT_FALSE(QFileInfo::exists(recorder.partsDirectory()));
    EXPECT_FALSE(QFileInfo::exists(take));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QTest::qWait(300);
    EXPECT_FALSE(finished.has_value());
}

}  // namespace
