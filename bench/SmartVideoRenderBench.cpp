// The smart-camera render of 20 s of 1920 × 1080 at 30 fps with a sound
// track (a pointer circling and clicking, so the camera zooms and pans), and
// FFmpeg's command line doing a comparable job on the same file: the picture
// cropped to a moving, zoomed viewport and scaled back, padded onto a
// blurred, enlarged copy of itself, coded with the same encoder settings,
// the sound copied. Wall-clock time is what counts; CPU time (all threads of
// this process, or the command line's own) stands beside it. The goal is at
// least 1.5 times real time and quicker than the command line.
#include "bench/ProcessMeasures.h"
#include "camera/RecordingCompositor.h"
#include "camera/SmartCameraTrack.h"
#include "camera/SmartVideoRender.h"
#include "platform/media/VideoFileReader.h"
#include "platform/media/VideoFileWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include <sys/resource.h>

using namespace tavero;
using bench::cpuSeconds;
using bench::runFfmpeg;

namespace {

constexpr double seconds = 20;
constexpr int rate = 30;

// The recording and its project, made once.
struct Recording {
    QTemporaryDir folder;
    QString video = folder.filePath(QStringLiteral("录屏.mp4"));
    RecordingProject project;
    bool made = false;

    Recording() {
        made = runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          QStringLiteral("testsrc2=size=1920x1080:rate=30:duration=%1").arg(seconds),
                          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
                          QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                          QStringLiteral("ultrafast"), QStringLiteral("-crf"), QStringLiteral("20"),
                          QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-g"),
                          QStringLiteral("30"), QStringLiteral("-bf"), QStringLiteral("0"), QStringLiteral("-c:a"),
                          QStringLiteral("aac"), QStringLiteral("-ac"), QStringLiteral("2"), video});
        project.sourceFile = QStringLiteral("录屏.mp4");
        project.duration = seconds;
        for (int i = 0; i <= int(seconds * rate); ++i) {
            const double time = double(i) / rate, angle = 2 * std::numbers::pi * time / 4;
            project.samples.append({time, 0.6 + 0.2 * std::cos(angle), 0.5 + 0.2 * std::sin(angle), true, i % 15 == 0});
        }
    }

    QString output() const { return folder.filePath(QStringLiteral("讲解成片.mp4")); }
};

Recording& recording() {
    static Recording made;
    return made;
}

void report(benchmark::State& state, double wallSeconds, double cpu) {
    const double runs = double(state.iterations());
    state.counters["x_real_time"] = seconds * runs / wallSeconds;
    state.counters["cpu_s"] = cpu / runs;
    state.counters["cores"] = cpu / wallSeconds;
}

void smartVideoRender(benchmark::State& state) {
    Recording& r = recording();
    if (!r.made) return state.SkipWithError("the recording could not be made");
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        RenderProgress progress;
        try {
            SmartVideoRender::render(r.video, r.output(), r.project, {}, progress);
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += cpuSeconds(RUSAGE_SELF) - before;
        state.PauseTiming();
        QFile::remove(r.output());
        state.ResumeTiming();
    }
    report(state, wall, cpu);
}

// A viewport at zoom 1.65 that moves like the camera does, the picture
// padded by 64 pixels onto a blurred copy of itself, coded like ours.
QString commandLineFilter() {
    return QStringLiteral(
        "split[a][b];"
        "[a]scale=2048:1208,gblur=sigma=25.6[back];"
        "[b]crop=w=iw/1.65:h=ih/1.65:x=(iw-iw/1.65)*(0.5+0.4*cos(2*PI*t/4)):"
        "y=(ih-ih/1.65)*(0.5+0.4*sin(2*PI*t/4)),scale=1920:1080[front];"
        "[back][front]overlay=64:64");
}

void commandLine(benchmark::State& state) {
    Recording& r = recording();
    if (!r.made) return state.SkipWithError("the recording could not be made");
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_CHILDREN);
        const auto start = std::chrono::steady_clock::now();
        const bool done = runFfmpeg({QStringLiteral("-i"), r.video, QStringLiteral("-filter_complex"),
                                     commandLineFilter(), QStringLiteral("-r"), QStringLiteral("30"),
                                     QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                                     QStringLiteral("veryfast"), QStringLiteral("-crf"), QStringLiteral("18"),
                                     QStringLiteral("-bf"), QStringLiteral("0"), QStringLiteral("-g"),
                                     QStringLiteral("60"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
                                     QStringLiteral("-c:a"), QStringLiteral("copy"), QStringLiteral("-movflags"),
                                     QStringLiteral("+faststart"), r.output()});
        if (!done) state.SkipWithError("ffmpeg failed");
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += cpuSeconds(RUSAGE_CHILDREN) - before;
        state.PauseTiming();
        QFile::remove(r.output());
        state.ResumeTiming();
    }
    report(state, wall, cpu);
}

// The stages on their own, one picture at a time, to see where time goes.
void decodeOnly(benchmark::State& state) {
    Recording& r = recording();
    if (!r.made) return state.SkipWithError("the recording could not be made");
    int pictures = 0;
    for (auto _ : state) {
        media::VideoFileReader reader(r.video, {});
        while (reader.next()) ++pictures;
    }
    state.counters["pictures_per_s"] = benchmark::Counter(pictures, benchmark::Counter::kIsRate);
}

void composeOnly(benchmark::State& state) {
    Recording& r = recording();
    if (!r.made) return state.SkipWithError("the recording could not be made");
    media::VideoFileReader reader(r.video, {});
    const QImage source = reader.next()->image;
    const RecordingCompositor compositor(source.size(), r.project.effects);
    const SmartCameraTrack track(r.project.samples, r.project.effects);
    int index = 0;
    for (auto _ : state) benchmark::DoNotOptimize(compositor.frame(source, track.at(double(index++ % 600) / rate)));
}

void encodeOnly(benchmark::State& state) {
    Recording& r = recording();
    if (!r.made) return state.SkipWithError("the recording could not be made");
    media::VideoFileReader reader(r.video, {});
    const QImage source = reader.next()->image;
    const RecordingCompositor compositor(source.size(), r.project.effects);
    const QImage frame = compositor.frame(source, {0, 0.5, 0.5, 1.65, 0.5, 0.5});
    media::VideoFileFormat format;
    format.size = frame.size();
    format.rate = rate;
    format.pictures = 300;
    for (auto _ : state) {
        media::VideoFileWriter writer(r.output(), format, {});
        for (int i = 0; i < 300; ++i) writer.writePicture(frame);
        writer.finish();
    }
    state.counters["pictures_per_s"] = benchmark::Counter(300.0 * state.iterations(), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(smartVideoRender)->Name("smart_video/render_1080p_20s")->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK(commandLine)
    ->Name("smart_video/ffmpeg_crop_zoom_pad_blur_20s")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(decodeOnly)->Name("smart_video/stage_decode_20s")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(composeOnly)->Name("smart_video/stage_compose_frame")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(encodeOnly)->Name("smart_video/stage_encode_300")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
