// Thirty seconds of the whole X screen recorded while a page of text scrolls
// over all of it, 4 pixels 30 times a second (argument 1), or stands still
// with the pointer at rest (argument 0): our screen feed and
// LivePartRecorder (no sound), beside `ffmpeg -f x11grab` with libx264 at
// the same settings (ultrafast, CRF 20, no B-frames, a keyframe a second,
// fragmented MP4, the pointer drawn) on the same display.
// Needs its own X server of the size measured, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_screen_recording
//
// The page scrolls in a process of its own (bench_scrolling_page).
//
// Reported: CPU seconds per second of video (ours: the whole process; the
// command line's: the child's own), pictures written and dropped (the
// command line's: pictures in its file), and peak resident memory (ours: the
// whole process, and its growth over the recording; the command line's: its
// process, read every half second).
#include "bench/ProcessMeasures.h"
#include "platform/ScreenFeed.h"
#include "platform/media/LivePartRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace tavero;
using bench::cpuSeconds;
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

bool onX11() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

QRect screenRect() { return QGuiApplication::primaryScreen()->geometry(); }

qint64 picturesIn(const QString& path) {
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                 QStringLiteral("-count_packets"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=nb_read_packets"), QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    probe.waitForFinished(-1);
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed().toLongLong();
}

void ours(benchmark::State& state) {
    if (!onX11()) return state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
    const QRect screen = screenRect();
    const ScrollingPage page(state.range(0) != 0);
    if (!page.running()) return state.SkipWithError("the scrolling page did not start");
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("片段_001.mp4"));
    LivePartReport report;
    double cpu = 0;
    qint64 peak = 0, growth = 0;
    for (auto _ : state) {
        resetPeak();
        const qint64 before = statusBytes("VmRSS:");
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        LivePartRecorder recorder(path, openScreenFeed(ScreenScope{screen, std::nullopt, true, {}}),
                                  {screen.size(), {}, {}}, {}, {});
        QThread::sleep(recordSeconds);
        report = recorder.finish();
        cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore;
        peak = statusBytes("VmHWM:");
        growth = peak - before;
    }
    state.counters["cpu_per_video_s"] = cpu / report.seconds;
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
    qint64 peak = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
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
    }
    state.counters["cpu_per_video_s"] = cpu / recordSeconds;
    state.counters["pictures"] = double(picturesIn(path));
    state.counters["peak_rss_MB"] = double(peak) / 1e6;
}

}  // namespace

BENCHMARK(ours)
    ->Name("LivePartRecorder_x11")
    ->ArgName("changing")
    ->Arg(1)
    ->Arg(0)
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
