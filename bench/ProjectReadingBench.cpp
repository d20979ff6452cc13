// Opening editable projects: one of a million marks, which is refused, and
// one at the limits, which opens. The time to the answer and the memory the
// reading takes beyond what the process held before.
#include "bench/ProcessMeasures.h"
#include "document/ImageOps.h"
#include "library/EditableShot.h"
#include "platform/ShotError.h"
#include "tests/support/Pictures.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

// A project file of `count` copies of one arrow on a small picture, as the
// program writes projects. Written piece by piece, so that making it leaves
// no memory behind for the reading to reuse.
QString writeProject(const QTemporaryDir& folder, const QString& name, int count) {
    Mark arrow;
    arrow.points = {{5.5, 6}, {100, 120.25}};
    QByteArray head =
        json::dump(toJson(EditableShot{1, ImageOps::png(fixtures::screenshotLike(400, 300), QStringLiteral("png")), {}}));
    head.chop(2);  // the empty marks' "]}"
    const QByteArray mark = json::dump(toJson(arrow));
    const QString path = folder.filePath(name);
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly) && file.write(head) >= 0;
    for (int index = 0; index < count; ++index)
        written = written && file.write(index ? "," + mark : mark) >= 0;
    if (!written || file.write("]}") < 0) std::abort();
    return path;
}

struct Projects {
    QTemporaryDir folder;
    QString millionMarks = writeProject(folder, QStringLiteral("百万.vistagon"), 1'000'000);
    QString atTheLimit = writeProject(folder, QStringLiteral("极限.vistagon"), 10'000);
};

const Projects& projects() {
    static const Projects made;
    return made;
}

// Reads `path` once per iteration; `opens` says whether it must open.
void read(benchmark::State& state, const QString& path, bool opens) {
    qint64 peakGrowth = 0;
    for (auto _ : state) {
        const qint64 before = bench::statusBytes("VmRSS:");
        bench::resetPeak();
        bool opened = true;
        try {
            benchmark::DoNotOptimize(readProject(path));
        } catch (const ShotError&) {
            opened = false;
        }
        if (opened != opens) state.SkipWithError("the project was not read as it should be");
        peakGrowth = std::max(peakGrowth, bench::statusBytes("VmHWM:") - before);
    }
    state.counters["file MB"] = double(QFile(path).size()) / 1e6;
    state.counters["peak growth MB"] = double(peakGrowth) / 1e6;
}

void refuseAMillionMarks(benchmark::State& state) { read(state, projects().millionMarks, false); }
void openTenThousandMarks(benchmark::State& state) { read(state, projects().atTheLimit, true); }

}  // namespace

BENCHMARK(refuseAMillionMarks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(openTenThousandMarks)->Unit(benchmark::kMillisecond);
