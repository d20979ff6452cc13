// The two exports of a finished video beside FFmpeg's command line doing the
// same job on the same file: a GIF of 30 s of 1920 × 1080 (8 pictures a
// second scaled to 960 × 540 by averaging, one palette made from them all,
// mapped with the same dithering) and a trim of 60 s out of a 62 s 1920 × 1080
// video (the pictures coded again with the same encoder settings, the sound
// copied, the index in front). Wall-clock time is what counts; CPU time (all
// threads of this process, or the command line's own) stands beside it. The
// goal is no slower than the command line. Beside them, a trim of 1 s to 3 s
// of a live Matroska recording of 3 s (no length, no index), and of the same
// followed by 2 GB of zeros (`truncate -s 2G`), which once took seconds to
// read; and the command line's trim of that. And a trim of 2.5 s to 3.5 s
// (after the damage) and of 1 s to 3 s (across it) of an MPEG-TS of 4 s with
// 200 MB of random bytes in the middle, as a failing disk leaves it, beside
// the command line's: `read_MiB` is what was read of the disk (rchar, which
// counts a command line once it has ended).
#include "bench/ProcessMeasures.h"
#include "recording/VideoExport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace tavero;
using bench::cpuSeconds;
using bench::runFfmpeg;

namespace {

constexpr double gifSeconds = 30;
constexpr double trimSource = 62;
constexpr double trimStart = 1;
constexpr double trimEnd = 61;

// A recording-like 1080p video with a sound track, keyframes every second.
bool makeVideo(const QString& path, double seconds) {
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=size=1920x1080:rate=30:duration=%1").arg(seconds), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
                      QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                      QStringLiteral("ultrafast"), QStringLiteral("-crf"), QStringLiteral("20"),
                      QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-g"), QStringLiteral("30"),
                      QStringLiteral("-bf"), QStringLiteral("0"), QStringLiteral("-colorspace"),
                      QStringLiteral("smpte170m"), QStringLiteral("-color_range"), QStringLiteral("tv"),
                      QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-ac"), QStringLiteral("2"), path});
}

// The two sources, made once.
struct Sources {
    QTemporaryDir folder;
    QString shortVideo = folder.filePath(QStringLiteral("30s.mp4"));
    QString longVideo = folder.filePath(QStringLiteral("62s.mp4"));
    bool made = makeVideo(shortVideo, gifSeconds) && makeVideo(longVideo, trimSource);

    QString output(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
};

Sources& sources() {
    static Sources made;
    return made;
}

// A live recording as FFmpeg's command line writes one.
bool makeLiveMatroska(const QString& path) {
    return runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                      QStringLiteral("testsrc2=size=320x240:rate=25:duration=3"), QStringLiteral("-f"),
                      QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=3"),
                      QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-c:a"), QStringLiteral("aac"),
                      QStringLiteral("-live"), QStringLiteral("1"), QStringLiteral("-f"), QStringLiteral("matroska"),
                      path});
}

struct LiveSources {
    QTemporaryDir folder;
    QString live = folder.filePath(QStringLiteral("live.mp4"));
    QString followed = folder.filePath(QStringLiteral("live-2GB.mp4"));
    bool made = makeLiveMatroska(live) && QFile::copy(live, followed) && QFile(followed).resize(qint64(2) << 30);

    QString output(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
};

LiveSources& liveSources() {
    static LiveSources made;
    return made;
}

// A 4 s MPEG-TS of 320 × 240 with AAC, a keyframe every second, with
// `damage` random bytes put in its middle.
bool makeDamagedStream(const QString& whole, const QString& path, qint64 damage) {
    if (!runFfmpeg({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("testsrc2=s=320x240:r=25"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                    QStringLiteral("-i"), QStringLiteral("sine=f=440:r=48000"), QStringLiteral("-t"),
                    QStringLiteral("4"), QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-g"),
                    QStringLiteral("25"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"),
                    QStringLiteral("mpegts"), whole}))
        return false;
    QFile source(whole);
    QFile damaged(path);
    if (!source.open(QIODevice::ReadOnly) || !damaged.open(QIODevice::WriteOnly)) return false;
    const QByteArray video = source.readAll();
    QByteArray random(1 << 20, Qt::Uninitialized);
    bool written = damaged.write(video.left(video.size() / 2)) == video.size() / 2;
    for (qint64 done = 0; written && done < damage; done += random.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        written = damaged.write(random) == random.size();
    }
    return written && damaged.write(video.mid(video.size() / 2)) == video.size() - video.size() / 2;
}

struct DamagedSources {
    QTemporaryDir folder;
    QString damaged = folder.filePath(QStringLiteral("damaged.mp4"));
    bool made = makeDamagedStream(folder.filePath(QStringLiteral("whole.ts")), damaged, qint64(200) << 20);

    QString output(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
};

DamagedSources& damagedSources() {
    static DamagedSources made;
    return made;
}

// What this process and the children it waited for read so far (rchar).
double mibRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return double(line.mid(6).trimmed().toLongLong()) / (1 << 20);
    return 0;
}

// Runs `job` once per iteration, timed by the wall clock and by the CPU
// time of `who`, removing `output` after each run.
template <typename Job>
void measure(benchmark::State& state, int who, const QString& output, Job job, bool made = sources().made) {
    if (!made) return state.SkipWithError("the sources could not be made");
    double wall = 0, cpu = 0, read = 0;
    for (auto _ : state) {
        const double before = cpuSeconds(who);
        const double readBefore = mibRead();
        const auto start = std::chrono::steady_clock::now();
        if (!job()) state.SkipWithError("the job failed");
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += cpuSeconds(who) - before;
        read += mibRead() - readBefore;
        state.PauseTiming();
        QFile::remove(output);
        state.ResumeTiming();
    }
    const double runs = double(state.iterations());
    state.counters["wall_s"] = wall / runs;
    state.counters["cpu_s"] = cpu / runs;
    state.counters["cores"] = cpu / wall;
    state.counters["read_MiB"] = read / runs;
}

template <typename Export>
bool succeeds(Export run) {
    try {
        run();
        return true;
    } catch (const ShotError& error) {
        fprintf(stderr, "%s\n", qPrintable(error.message()));
        return false;
    }
}

void gifOurs(benchmark::State& state) {
    const QString out = sources().output("ours.gif");
    measure(state, RUSAGE_SELF, out,
            [&] { return succeeds([&] { VideoExport::writeGif(sources().shortVideo, out); }); });
}

void gifCommandLine(benchmark::State& state) {
    const QString out = sources().output("ffmpeg.gif");
    measure(state, RUSAGE_CHILDREN, out, [&] {
        return runFfmpeg(
            {QStringLiteral("-i"), sources().shortVideo, QStringLiteral("-vf"),
             QStringLiteral("fps=8,scale=960:540:flags=area,split[a][b];[a]palettegen[p];[b][p]paletteuse"),
             QStringLiteral("-loop"), QStringLiteral("0"), out});
    });
}

void trimOurs(benchmark::State& state) {
    const QString out = sources().output("ours.mp4");
    measure(state, RUSAGE_SELF, out,
            [&] { return succeeds([&] { VideoExport::writeTrim(sources().longVideo, trimStart, trimEnd, out); }); });
}

void trimCommandLine(benchmark::State& state) {
    const QString out = sources().output("ffmpeg.mp4");
    measure(state, RUSAGE_CHILDREN, out, [&] {
        return runFfmpeg({QStringLiteral("-ss"), QString::number(trimStart), QStringLiteral("-i"), sources().longVideo,
                          QStringLiteral("-t"), QString::number(trimEnd - trimStart), QStringLiteral("-c:v"),
                          QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("veryfast"),
                          QStringLiteral("-crf"), QStringLiteral("18"), QStringLiteral("-bf"), QStringLiteral("0"),
                          QStringLiteral("-g"), QStringLiteral("60"), QStringLiteral("-pix_fmt"),
                          QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("copy"),
                          QStringLiteral("-movflags"), QStringLiteral("+faststart"), out});
    });
}

void trimLive(benchmark::State& state, bool followed) {
    const LiveSources& live = liveSources();
    const QString out = live.output("ours.mp4");
    measure(
        state, RUSAGE_SELF, out,
        [&] { return succeeds([&] { VideoExport::writeTrim(followed ? live.followed : live.live, 1, 3, out); }); },
        live.made);
}

void trimLiveCommandLine(benchmark::State& state) {
    const LiveSources& live = liveSources();
    const QString out = live.output("ffmpeg.mp4");
    measure(
        state, RUSAGE_CHILDREN, out,
        [&] {
            return runFfmpeg({QStringLiteral("-ss"), QStringLiteral("1"), QStringLiteral("-i"), live.followed,
                              QStringLiteral("-t"), QStringLiteral("2"), QStringLiteral("-c:v"),
                              QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("veryfast"),
                              QStringLiteral("-crf"), QStringLiteral("18"), QStringLiteral("-c:a"),
                              QStringLiteral("copy"), QStringLiteral("-movflags"), QStringLiteral("+faststart"), out});
        },
        live.made);
}

void trimDamaged(benchmark::State& state, double start, double end) {
    const DamagedSources& damaged = damagedSources();
    const QString out = damaged.output("ours.mp4");
    measure(
        state, RUSAGE_SELF, out,
        [&] { return succeeds([&] { VideoExport::writeTrim(damaged.damaged, start, end, out); }); }, damaged.made);
}

void trimDamagedCommandLine(benchmark::State& state, double start, double end) {
    const DamagedSources& damaged = damagedSources();
    const QString out = damaged.output("ffmpeg.mp4");
    measure(
        state, RUSAGE_CHILDREN, out,
        [&] {
            return runFfmpeg({QStringLiteral("-ss"), QString::number(start), QStringLiteral("-i"), damaged.damaged,
                              QStringLiteral("-t"), QString::number(end - start), QStringLiteral("-c:v"),
                              QStringLiteral("libx264"), QStringLiteral("-preset"), QStringLiteral("veryfast"),
                              QStringLiteral("-crf"), QStringLiteral("18"), QStringLiteral("-c:a"),
                              QStringLiteral("copy"), QStringLiteral("-movflags"), QStringLiteral("+faststart"), out});
        },
        damaged.made);
}

}  // namespace

BENCHMARK(gifOurs)->Name("video_export/gif_1080p_30s")->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);
BENCHMARK(gifCommandLine)
    ->Name("video_export/ffmpeg_gif_1080p_30s")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(trimOurs)->Name("video_export/trim_1080p_60s")->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);
BENCHMARK(trimCommandLine)
    ->Name("video_export/ffmpeg_trim_1080p_60s")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimLive, live, false)
    ->Name("video_export/trim_live_matroska_3s")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimLive, followed, true)
    ->Name("video_export/trim_live_matroska_3s_then_2GB")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(trimLiveCommandLine)
    ->Name("video_export/ffmpeg_trim_live_matroska_3s_then_2GB")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimDamaged, after, 2.5, 3.5)
    ->Name("video_export/trim_damaged_ts_after_the_damage")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimDamagedCommandLine, after, 2.5, 3.5)
    ->Name("video_export/ffmpeg_trim_damaged_ts_after_the_damage")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimDamaged, across, 1, 3)
    ->Name("video_export/trim_damaged_ts_across_the_damage")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(trimDamagedCommandLine, across, 1, 3)
    ->Name("video_export/ffmpeg_trim_damaged_ts_across_the_damage")
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(3);
