// Ten parts of 60 s of 1920 × 1080 at 30 fps with one sound track, written as
// our parts are (H.264 ultrafast, a keyframe every second, fragmented), joined
// by RecordingJoiner and by FFmpeg's command line ("-f concat -c copy"), with
// and without moving the index to the front as our joined files have it, and
// once more followed by a flush to the disk: our join flushes its file before
// it publishes it, so the parts can go. Wall-clock time is what counts; the
// command line's CPU time is its own process's (the children's rusage).
#include "recording/RecordedVideoValidation.h"
#include "recording/RecordingJoiner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace tavero;

namespace {

constexpr int partCount = 10;
constexpr int partSeconds = 60;

bool run(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("ffmpeg"), QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                                                     QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-y")}
                                             + arguments);
    return tool.waitForFinished(-1) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

// The parts, made once: one recorded, the others copies of it (the join
// neither knows nor cares).
struct Take {
    QTemporaryDir folder;
    QList<RecordedVideo> parts;
    QString list;
    qint64 bytes = 0;

    Take() {
        const QString first = folder.filePath(QStringLiteral("片段_001.mp4"));
        const bool made = run({QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc2=size=1920x1080:rate=30:duration=%1").arg(partSeconds),
                               QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(partSeconds),
                               QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-preset"),
                               QStringLiteral("ultrafast"), QStringLiteral("-crf"), QStringLiteral("20"),
                               QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"), QStringLiteral("-g"),
                               QStringLiteral("30"), QStringLiteral("-bf"), QStringLiteral("0"), QStringLiteral("-c:a"),
                               QStringLiteral("aac"), QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-movflags"),
                               QStringLiteral("+frag_keyframe+empty_moov+default_base_moof"), first});
        if (!made) return;
        QFile concatList(folder.filePath(QStringLiteral("parts.txt")));
        if (!concatList.open(QIODevice::WriteOnly)) return;
        for (int number = 1; number <= partCount; ++number) {
            const QString path = folder.filePath(QStringLiteral("片段_%1.mp4").arg(number, 3, 10, QLatin1Char('0')));
            if (number > 1) QFile::copy(first, path);
            parts.append({path, RecordedVideoValidation::duration(path), std::nullopt});
            concatList.write("file '" + QFile::encodeName(path) + "'\n");
            bytes += QFile(path).size();
        }
        list = concatList.fileName();
    }

    QString output() const { return folder.filePath(QStringLiteral("录屏.mp4")); }
};

Take& take() {
    static Take made;
    return made;
}

double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void report(benchmark::State& state, double childSeconds = 0) {
    state.SetBytesProcessed(state.iterations() * take().bytes);
    if (childSeconds > 0) state.counters["child_cpu_s"] = benchmark::Counter(childSeconds, benchmark::Counter::kAvgIterations);
}

void recordingJoiner(benchmark::State& state) {
    if (take().parts.size() != partCount) return state.SkipWithError("the parts could not be made");
    for (auto _ : state) {
        const double seconds = RecordingJoiner::join(take().parts, take().output());
        state.PauseTiming();
        if (std::abs(seconds - partCount * partSeconds) > 0.5) state.SkipWithError("the join lasts too long or short");
        QFile::remove(take().output());
        state.ResumeTiming();
    }
    report(state);
}

bool flushToDisk(const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    const bool flushed = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return flushed;
}

void commandLine(benchmark::State& state, bool faststart, bool flush) {
    if (take().parts.size() != partCount) return state.SkipWithError("the parts could not be made");
    double childSeconds = 0;
    for (auto _ : state) {
        const double before = childCpuSeconds();
        QStringList arguments{QStringLiteral("-f"), QStringLiteral("concat"), QStringLiteral("-safe"), QStringLiteral("0"),
                              QStringLiteral("-i"), take().list, QStringLiteral("-c"), QStringLiteral("copy")};
        if (faststart) arguments << QStringLiteral("-movflags") << QStringLiteral("+faststart");
        if (!run(arguments << take().output())) state.SkipWithError("ffmpeg failed");
        childSeconds += childCpuSeconds() - before;
        if (flush && !flushToDisk(take().output())) state.SkipWithError("the joined file could not be flushed");
        state.PauseTiming();
        QFile::remove(take().output());
        state.ResumeTiming();
    }
    report(state, childSeconds);
}

}  // namespace

BENCHMARK(recordingJoiner)->Name("join/RecordingJoiner")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(commandLine, faststart, true, false)
    ->Name("join/ffmpeg_concat_copy_faststart")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(commandLine, plain, false, false)
    ->Name("join/ffmpeg_concat_copy")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(commandLine, flushed, false, true)
    ->Name("join/ffmpeg_concat_copy_then_fsync")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
