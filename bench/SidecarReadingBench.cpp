// Reading the project beside a recorded video: the sidecar of a two-hour
// take, which loads, and files of `[],` repeated, one just under a quarter
// gigabyte and one of 32 MB, which are refused. The time to the answer and
// the memory the reading takes beyond what the process held before.
#include "bench/ProcessMeasures.h"
#include "camera/RecordingProject.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

#include <sys/wait.h>
#include <unistd.h>

using namespace tavero;

namespace {

// Pointer samples at 30 a second for two hours, the pointer wandering.
RecordingProject twoHourTake() {
    constexpr qsizetype samples = 2 * 60 * 60 * 30;
    RecordingProject project;
    project.sourceFile = QStringLiteral("录屏_两小时.mp4");
    project.targetName = QStringLiteral("全屏 · 1920 × 1080");
    project.duration = double(samples) / 30;
    project.samples.reserve(samples);
    for (qsizetype index = 0; index < samples; ++index)
        project.samples.append({double(index) / 30, 0.5 + 0.4 * std::sin(index * 0.001),
                                0.5 + 0.4 * std::cos(index * 0.0013), true, index % 97 == 0});
    return project;
}

// A sidecar of every key a project needs, and one more holding `[]` over and
// over until the file is `bytes` long. Written a block at a time, so that
// making it leaves no memory behind for the reading to reuse.
void writeEmptyArrays(const QString& path, qint64 bytes) {
    const QByteArray head = R"({"version":1,"sourceFile":"录屏.mp4","targetName":"全屏","duration":7200,)"
                            R"("effects":{},"samples":[],"more":[)";
    const QByteArray tail = "[]]}";
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly) && file.write(head) >= 0;
    const QByteArray block = QByteArray("[],").repeated(1 << 18);
    qint64 left = (bytes - head.size() - tail.size()) / 3;
    while (written && left > 0) {
        const qint64 arrays = std::min<qint64>(left, 1 << 18);
        written = file.write(block.constData(), arrays * 3) >= 0;
        left -= arrays;
    }
    if (!written || file.write(tail) < 0) std::abort();
}

// Loads the sidecar beside `video` once per iteration; `loads` says whether
// a project must come of it.
void load(benchmark::State& state, const QString& video, bool loads) {
    qint64 peakGrowth = 0;
    for (auto _ : state) {
        const qint64 before = bench::statusBytes("VmRSS:");
        bench::resetPeak();
        const bool loaded = RecordingProject::load(video).has_value();
        if (loaded != loads) state.SkipWithError("the sidecar was not read as it should be");
        peakGrowth = std::max(peakGrowth, bench::statusBytes("VmHWM:") - before);
    }
    state.counters["file MB"] = double(QFile(RecordingProject::sidecar(video)).size()) / 1e6;
    state.counters["peak growth MB"] = double(peakGrowth) / 1e6;
}

// The sidecar is written by a child process, so that making it leaves no
// memory behind for the reading to reuse.
void loadATwoHourTake(benchmark::State& state) {
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("录屏_两小时.mp4"));
    const pid_t writer = fork();
    if (writer == 0) {
        twoHourTake().save(video);
        _exit(0);
    }
    int status = 0;
    if (writer < 0 || waitpid(writer, &status, 0) != writer || status != 0) std::abort();
    load(state, video, true);
}

void refuseEmptyArrays(benchmark::State& state) {
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("录屏.mp4"));
    writeEmptyArrays(RecordingProject::sidecar(video), state.range(0));
    load(state, video, false);
}

}  // namespace

BENCHMARK(loadATwoHourTake)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
// Just under the quarter gigabyte that sidecars were read up to, and 32 MB.
BENCHMARK(refuseEmptyArrays)
    ->Arg((qint64(256) << 20) - 16)
    ->Arg(32'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
