// Moving the player to a position (播放进度) in an MPEG-TS video beside the
// same stream copied into MP4: the seek and the first picture shown there.
// Two videos with a keyframe every second: 120 s of 1920 × 1080 at 4 Mbit/s,
// and an hour of 320 × 180. MPEG-TS keeps no index of its keyframes, so its
// seek finds one by reading; MP4's index says where it is. Wall-clock time
// per seek is what counts; the CPU time of all the process's threads (the
// decoder's frame threads share the work) stands beside it. The goal is
// within twice what MP4 costs, anywhere in the file.
#include "bench/ProcessMeasures.h"
#include "platform/media/MovieDecoder.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>

using namespace tavero;
using bench::cpuSeconds;
using bench::runFfmpeg;

namespace {

// `seconds` of a moving picture at 25 a second with a sine tone, coded as a
// camera or a converter codes it, as MPEG-TS in `ts` and copied into `mp4`.
bool makeVideo(const QString& ts, const QString& mp4, const QString& size, const QString& bitrate, int seconds) {
    const QString length = QString::number(seconds);
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=size=%1:rate=25").arg(size), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine"), QStringLiteral("-t"),
                      length, QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                      QStringLiteral("ultrafast"), QStringLiteral("-b:v"), bitrate, QStringLiteral("-g"),
                      QStringLiteral("25"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"),
                      QStringLiteral("mpegts"), ts}) &&
           runFfmpeg({QStringLiteral("-i"), ts, QStringLiteral("-c"), QStringLiteral("copy"), mp4});
}

// The videos, made once for the run.
struct Videos {
    QTemporaryDir folder;
    QString hdTs = folder.filePath(QStringLiteral("hd.ts.mp4"));
    QString hdMp4 = folder.filePath(QStringLiteral("hd.mp4"));
    QString hourTs = folder.filePath(QStringLiteral("hour.ts.mp4"));
    QString hourMp4 = folder.filePath(QStringLiteral("hour.mp4"));
    bool made = makeVideo(hdTs, hdMp4, QStringLiteral("1920x1080"), QStringLiteral("4M"), 120) &&
                makeVideo(hourTs, hourMp4, QStringLiteral("320x180"), QStringLiteral("200k"), 3600);
};

Videos& videos() {
    static Videos made;
    return made;
}

// Each iteration moves an open player's decoder to `position` and takes the
// picture it shows there.
void seekAndShow(benchmark::State& state, QString Videos::*video, double position) {
    if (!videos().made) return state.SkipWithError("the videos could not be made");
    media::MovieDecoder decoder(videos().*video, {});
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(RUSAGE_SELF);
        const auto start = std::chrono::steady_clock::now();
        decoder.seek(position);
        const std::optional<media::MovieFrame> picture = decoder.nextPicture();
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += cpuSeconds(RUSAGE_SELF) - before;
        if (!picture || picture->time > position + 1e-3 || picture->time < position - 0.1)
            state.SkipWithError("not the picture showing at the position");
    }
    const double runs = double(state.iterations());
    state.counters["wall_s"] = wall / runs;
    state.counters["cpu_s"] = cpu / runs;
}

}  // namespace

#define SEEK(name, video, position)                                                      \
    BENCHMARK_CAPTURE(seekAndShow, name, &Videos::video, position)                       \
        ->Unit(benchmark::kMillisecond)                                                  \
        ->UseRealTime()                                                                  \
        ->Iterations(5)

SEEK(hd_ts_1min, hdTs, 60);
SEEK(hd_mp4_1min, hdMp4, 60);
SEEK(hd_ts_2min, hdTs, 119);
SEEK(hd_mp4_2min, hdMp4, 119);
SEEK(hour_ts_10min, hourTs, 600);
SEEK(hour_mp4_10min, hourMp4, 600);
SEEK(hour_ts_30min, hourTs, 1800);
SEEK(hour_mp4_30min, hourMp4, 1800);
SEEK(hour_ts_59min, hourTs, 3540);
SEEK(hour_mp4_59min, hourMp4, 3540);
