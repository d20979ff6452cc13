// Thirty seconds of the whole X screen recorded while a page of text scrolls
// over all of it, 4 pixels 30 times a second (changing:1), or stands still
// with the pointer at rest (changing:0): our screen feed and
// LivePartRecorder (no sound), with our own windows over the screen as a
// take shows them (panels:1: the border ringing the screen and a control
// bar, taken out of the pictures) or none (panels:0), beside
// `ffmpeg -f x11grab` with libx264 at
// the same settings (ultrafast, CRF 20, no B-frames, a keyframe a second,
// fragmented MP4, the pointer drawn) on the same display.
// Needs its own X server of the size measured, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_screen_recording
//
// The page scrolls in a process of its own (bench_scrolling_page).
//
// Reported: CPU seconds per second of video (ours: the whole process; the
// command line's: the child's own), minor page faults per second of video
// (likewise), pictures written and dropped (the command line's: pictures in
// its file), and peak resident memory (ours: the whole process, and its
// growth over the recording; the command line's: its process, read every
// half second).
//
// ScreenRecorder_long_take records a whole take with the finished recorder
// (the screen with the pointer, the computer's sound from a sound server of
// its own, the join) while the page scrolls, for TAVERO_TAKE_SECONDS (600 for
// the ten-minute take; skipped when unset). A square flashes with a beep
// into the sink 10 s after the start and 20 s before the end; reported are
// the sound-to-picture offset of each in the joined file (recorded less
// played, in ms), how much longer the sound track lasts than the pictures,
// resident memory after the first minute and at the end, CPU per second of
// video and pictures per second in the file.
#include "bench/ProcessMeasures.h"
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/ScreenFeed.h"
#include "platform/desktop/X11ScreenSource.h"
#include "platform/media/LivePartRecorder.h"
#include "platform/memory/AllocatorSettings.h"
#include "recording/ScreenRecorder.h"
#include "tests/support/Beeper.h"
#include "tests/support/SoundServer.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QScreen>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

using namespace tavero;
using bench::cpuSeconds;
using bench::minorFaults;
using bench::resetPeak;
using bench::statusBytes;
using namespace tavero::media;

namespace {

constexpr int recordSeconds = 30;

// The page (bench_scrolling_page), scrolling or still, shown for the life of
// the object.
class ScrollingPage {
public:
    explicit ScrollingPage(bool scrolling) {
        program_.start(QStringLiteral(TAVERO_SCROLLING_PAGE),
                       scrolling ? QStringList() : QStringList{QStringLiteral("--still")});
        program_.waitForStarted();
        QThread::sleep(2);
    }
    ~ScrollingPage() {
        program_.kill();
        program_.waitForFinished();
    }
    bool running() const { return program_.state() == QProcess::Running; }

private:
    QProcess program_;
};

// One of our floating windows, registered to be kept out of the pictures:
// a red ring `line` pixels wide around `place` (the border) or, with no
// line, a solid panel (the control bar).
class OwnWindow : public QRasterWindow {
public:
    OwnWindow(const QRect& place, int line) {
        setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                 Qt::X11BypassWindowManagerHint);
        setGeometry(place);
        const QRegion whole(QRect(QPoint(), place.size()));
        if (line > 0) setMask(whole.subtracted(QRect(QPoint(), place.size()).adjusted(line, line, -line, -line)));
        show();
        OwnWindows::add(quint32(winId()));
    }
    ~OwnWindow() override { OwnWindows::remove(quint32(winId())); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(), size()), QColor(230, 40, 40)); }
};

// The border and the control bar of a take over the whole screen.
struct TakePanels {
    explicit TakePanels(const QRect& screen)
        : border(screen, 4),
          controlBar(QRect(screen.center().x() - 280, screen.bottom() - 120, 560, 56), 0) {
        QTest::qWait(500);
    }
    OwnWindow border;
    OwnWindow controlBar;
};

bool onX11() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }

// What ffprobe says of `entry` for the file's first stream of `stream` ("v", "a").
QString probeStream(const QString& path, const QString& stream, const QString& entry) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 stream + QStringLiteral(":0"), QStringLiteral("-count_packets"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=") + entry, QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    probe.waitForFinished(-1);
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

qint64 picturesIn(const QString& path) {
    return probeStream(path, QStringLiteral("v"), QStringLiteral("nb_read_packets")).toLongLong();
}

// How much longer the sound track lasts than the pictures (sound that was
// placed late shows as a longer track).
double soundOverPictures(const QString& path) {
    const auto seconds = [&](const QString& stream) {
        return probeStream(path, stream, QStringLiteral("duration")).toDouble();
    };
    return seconds(QStringLiteral("a")) - seconds(QStringLiteral("v"));
}

void ours(benchmark::State& state) {
    if (!onX11()) return state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
    // As the program does: every large block is a mapping of its own.
    giveLargeBlocksBackWhenFreed();
    const QRect screen = screenRect();
    const ScrollingPage page(state.range(0) != 0);
    if (!page.running()) return state.SkipWithError("the scrolling page did not start");
    std::optional<TakePanels> panels;
    if (state.range(1) != 0) panels.emplace(screen);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("片段_001.mp4"));
    LivePartReport report;
    double cpu = 0;
    long long faults = 0;
    qint64 peak = 0, growth = 0;
    for (auto _ : state) {
        resetPeak();
        const qint64 before = statusBytes("VmRSS:");
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const long long faultsBefore = minorFaults(RUSAGE_SELF);
        LivePartRecorder recorder(path, openScreenFeed(ScreenScope{screen, std::nullopt, true, {}}),
                                  {screen.size(), {}, {}}, {}, {});
        QThread::sleep(recordSeconds);
        report = recorder.finish();
        cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        faults = minorFaults(RUSAGE_SELF) - faultsBefore;
        peak = statusBytes("VmHWM:");
        growth = peak - before;
    }
    state.counters["cpu_per_video_s"] = cpu / report.seconds;
    state.counters["minor_faults_per_s"] = double(faults) / report.seconds;
    state.counters["pictures"] = double(report.pictures);
    state.counters["dropped"] = double(report.dropped);
    state.counters["peak_rss_MB"] = double(peak) / 1e6;
    state.counters["peak_rss_growth_MB"] = double(growth) / 1e6;
}

void commandLine(benchmark::State& state) {
    if (!onX11()) return state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
    const QRect screen = screenRect();
    const ScrollingPage page(state.range(0) != 0);
    if (!page.running()) return state.SkipWithError("the scrolling page did not start");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ffmpeg.mp4"));
    double cpu = 0;
    long long faults = 0;
    qint64 peak = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        const long long faultsBefore = minorFaults(RUSAGE_CHILDREN);
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                      QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("x11grab"),
                      QStringLiteral("-framerate"), QStringLiteral("30"), QStringLiteral("-draw_mouse"),
                      QStringLiteral("1"), QStringLiteral("-video_size"),
                      QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), QStringLiteral("-i"),
                      qEnvironmentVariable("DISPLAY") + QStringLiteral("+0,0"), QStringLiteral("-t"),
                      QString::number(recordSeconds), QStringLiteral("-c:v"), QStringLiteral("libx264"),
                      QStringLiteral("-preset"), QStringLiteral("ultrafast"), QStringLiteral("-crf"),
                      QStringLiteral("20"), QStringLiteral("-bf"), QStringLiteral("0"), QStringLiteral("-g"),
                      QStringLiteral("30"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                      QStringLiteral("-movflags"), QStringLiteral("+frag_keyframe+empty_moov+default_base_moof"),
                      path});
        if (!ffmpeg.waitForStarted()) return state.SkipWithError("ffmpeg did not start");
        const QString process = QString::number(ffmpeg.processId());
        while (ffmpeg.state() != QProcess::NotRunning) {
            peak = std::max(peak, statusBytes("VmHWM:", process));
            ffmpeg.waitForFinished(500);
        }
        if (ffmpeg.exitCode() != 0) return state.SkipWithError("ffmpeg failed");
        cpu = cpuSeconds(RUSAGE_CHILDREN) - before;
        faults = minorFaults(RUSAGE_CHILDREN) - faultsBefore;
    }
    state.counters["cpu_per_video_s"] = cpu / recordSeconds;
    state.counters["minor_faults_per_s"] = double(faults) / recordSeconds;
    state.counters["pictures"] = double(picturesIn(path));
    state.counters["peak_rss_MB"] = double(peak) / 1e6;
}

using Clock = std::chrono::steady_clock;

const QRect flashPlace(0, 0, 64, 64);

// A square over the page, black until it flashes.
class FlashSquare : public QRasterWindow {
public:
    FlashSquare() {
        setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setGeometry(flashPlace);
    }
    void setWhite(bool white) {
        white_ = white;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(QRect(QPoint(0, 0), size()), white_ ? Qt::white : Qt::black); }

private:
    bool white_ = false;
};

// Turns the square white and beeps as soon as the screen shows it; how much
// later than the flash the beep reached the sink, in seconds.
std::optional<double> flashAndBeep(FlashSquare& square, test::Beeper& beeper, X11ScreenSource& screen) {
    const std::optional<Clock::time_point> before = beeper.beepTime();
    square.setWhite(true);
    const QRect centre(flashPlace.center(), QSize(1, 1));
    if (!QTest::qWaitFor([&] { return screen.grabArea(centre, false).pixel(0, 0) == 0xffffffff; }, 5000))
        return std::nullopt;
    const Clock::time_point flashed = Clock::now();
    beeper.beep();
    const bool beeped = QTest::qWaitFor([&] { return beeper.beepTime() != before; }, 5000);
    QTest::qWait(500);
    square.setWhite(false);
    if (!beeped) return std::nullopt;
    return std::chrono::duration<double>(*beeper.beepTime() - flashed).count();
}

// What FFmpeg's command line writes of `path` from `from` s on for 10 s,
// with `arguments` after the input; its error output goes to `log`.
QByteArray decodeStretch(const QString& path, double from, const QStringList& arguments, QByteArray* log = nullptr) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                                                       QStringLiteral("-ss"), QString::number(from),
                                                       QStringLiteral("-t"), QStringLiteral("10"),
                                                       QStringLiteral("-i"), path} + arguments);
    ffmpeg.waitForFinished(-1);
    if (log) *log = ffmpeg.readAllStandardError();
    return ffmpeg.readAllStandardOutput();
}

// When the square first shows white in the file, from `from` s on.
std::optional<double> flashIn(const QString& path, double from) {
    QByteArray log;
    const QByteArray greys = decodeStretch(
        path, from,
        {QStringLiteral("-map"), QStringLiteral("0:v:0"), QStringLiteral("-vf"),
         QStringLiteral("crop=32:32:16:16,scale=1:1,showinfo"), QStringLiteral("-vsync"), QStringLiteral("0"),
         QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"), QStringLiteral("gray"),
         QStringLiteral("-")},
        &log);
    static const QRegularExpression time(QStringLiteral("pts_time:\\s*([0-9.]+)"));
    qsizetype index = 0;
    for (auto match = time.globalMatch(QString::fromUtf8(log)); match.hasNext(); ++index) {
        const double seconds = match.next().captured(1).toDouble();
        if (index < greys.size() && uchar(greys[index]) > 128) return from + seconds;
    }
    return std::nullopt;
}

// When the beep first sounds in the file, from `from` s on: the first 2 ms
// slice that is loud (the take's sound is silence but for it).
std::optional<double> beepIn(const QString& path, double from) {
    const QByteArray raw = decodeStretch(
        path, from,
        {QStringLiteral("-map"), QStringLiteral("0:a:0"), QStringLiteral("-ac"), QStringLiteral("1"),
         QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-f"), QStringLiteral("f32le"),
         QStringLiteral("-")});
    std::vector<float> samples(size_t(raw.size()) / sizeof(float));
    std::memcpy(samples.data(), raw.constData(), samples.size() * sizeof(float));
    constexpr size_t slice = 96;
    for (size_t start = 0; start + slice <= samples.size(); start += slice / 4) {
        float loudest = 0;
        for (size_t index = start; index < start + slice; ++index) loudest = std::max(loudest, std::abs(samples[index]));
        if (loudest > 0.1f) return from + double(start + slice / 2) / test::Beeper::rate;
    }
    return std::nullopt;
}

// Recorded offset less played offset, in ms, of the flash near `at`.
double offsetMs(const QString& path, double at, double played) {
    const std::optional<double> flash = flashIn(path, at - 3);
    const std::optional<double> beep = beepIn(path, at - 3);
    if (!flash || !beep || std::isnan(played)) {
        std::fprintf(stderr, "near %.1f s: %s%s%s\n", at, flash ? "" : "no flash in the file; ",
                     beep ? "" : "no beep in the file; ", std::isnan(played) ? "the flash or beep did not go out" : "");
        return std::numeric_limits<double>::quiet_NaN();
    }
    return (*beep - *flash - played) * 1000;
}

void longTake(benchmark::State& state) {
    const int seconds = qEnvironmentVariableIntValue("TAVERO_TAKE_SECONDS");
    if (seconds < 90) return state.SkipWithError("set TAVERO_TAKE_SECONDS (at least 90; 600 for ten minutes)");
    if (!onX11()) return state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
    test::SoundServer server;
    if (!server.running()) return state.SkipWithError("no PulseAudio server could be started");
    test::Beeper beeper;
    if (!beeper.ready()) return state.SkipWithError("cannot play into the sound server");
    const ScrollingPage page(true);
    if (!page.running()) return state.SkipWithError("the scrolling page did not start");
    FlashSquare square;
    square.show();
    X11ScreenSource screen;
    test::TempDir folder;
    const QString take = folder.file(QStringLiteral("录屏.mp4"));
    ScreenRecorder recorder;
    std::optional<Result<RecordedVideo>> finished;
    recorder.onFinished = [&finished](Result<RecordedVideo> result) { finished = std::move(result); };

    double cpu = 0, firstMinute = 0, end = 0, early = 0, late = 0, earlyPlayed = 0, latePlayed = 0;
    for (auto _ : state) {
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const QList<DisplayInfo> displays = screen.displays();
        recorder.start({displays, {}}, displays.first(), std::nullopt, std::nullopt, take, true, false, true);
        if (!QTest::qWaitFor([&] { return recorder.state() == RecordingSessionState::recording; }, 20'000))
            return state.SkipWithError("the take did not start");
        const Clock::time_point started = Clock::now();
        const auto at = [&](double second) { return started + std::chrono::milliseconds(qint64(second * 1000)); };
        const auto waitUntil = [](Clock::time_point moment) {
            while (Clock::now() < moment) QTest::qWait(100);
        };
        waitUntil(at(10));
        earlyPlayed = flashAndBeep(square, beeper, screen).value_or(std::numeric_limits<double>::quiet_NaN());
        early = std::chrono::duration<double>(Clock::now() - started).count();
        waitUntil(at(60));
        firstMinute = double(statusBytes("VmRSS:"));
        waitUntil(at(seconds - 20));
        latePlayed = flashAndBeep(square, beeper, screen).value_or(std::numeric_limits<double>::quiet_NaN());
        late = std::chrono::duration<double>(Clock::now() - started).count();
        waitUntil(at(seconds));
        end = double(statusBytes("VmRSS:"));
        recorder.stop();
        if (!QTest::qWaitFor([&] { return finished.has_value(); }, 600'000)) return state.SkipWithError("no join");
        cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    }
    if (!*finished) return state.SkipWithError(qPrintable(finished->error().message()));
    const double duration = finished->value().duration;
    state.counters["cpu_per_video_s"] = cpu / duration;
    state.counters["pictures_per_s"] = double(picturesIn(take)) / duration;
    state.counters["rss_first_minute_MB"] = firstMinute / 1e6;
    state.counters["rss_end_MB"] = end / 1e6;
    state.counters["peak_rss_MB"] = double(statusBytes("VmHWM:")) / 1e6;
    state.counters["offset_start_ms"] = offsetMs(take, early, earlyPlayed);
    state.counters["offset_end_ms"] = offsetMs(take, late, latePlayed);
    state.counters["sound_over_pictures_ms"] = soundOverPictures(take) * 1000;
}

}  // namespace

BENCHMARK(ours)
    ->Name("LivePartRecorder_x11")
    ->ArgNames({"changing", "panels"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(commandLine)
    ->Name("ffmpeg_x11grab")
    ->ArgName("changing")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(longTake)->Name("ScreenRecorder_long_take")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
