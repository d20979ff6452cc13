// Opening editable projects: one of a million marks, which is refused, and
// ones at the limits, which open (25,000 marks; 10,000 labels of the longest
// text, as letters and as six-byte escapes); and files of a quarter gigabyte that keep
// within the counts but not within what a project holds (a number, a label
// or an ignored value of that size, values by the million where a mark has a
// handful, nesting ten million deep, white space), each refused. The time to
// the answer and the memory the reading takes beyond what the process held
// before.
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

// A project file of `labels` copies of a label of `text`, then copies of
// one arrow up to `count` marks, on a small picture, as the program writes
// projects. Written piece by piece, so that making it leaves no memory
// behind for the reading to reuse.
QString writeProject(const QTemporaryDir& folder, const QString& name, int count, int labels = 0,
                     const QString& text = {}) {
    Mark arrow;
    arrow.points = {{5.5, 6}, {100, 120.25}};
    Mark label = arrow;
    label.tool = MarkTool::text;
    label.text = text;
    QByteArray head =
        json::dump(toJson(EditableShot{1, ImageOps::png(fixtures::screenshotLike(400, 300), QStringLiteral("png")), {}}));
    head.chop(2);  // the empty marks' "]}"
    const QByteArray labelText = json::dump(toJson(label));
    const QByteArray arrowText = json::dump(toJson(arrow));
    const QString path = folder.filePath(name);
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly) && file.write(head) >= 0;
    for (int index = 0; index < count; ++index) {
        const QByteArray& mark = index < labels ? labelText : arrowText;
        written = written && file.write(index ? "," + mark : mark) >= 0;
    }
    if (!written || file.write("]}") < 0) std::abort();
    return path;
}

// A project on a small picture whose text runs `head`, then `piece` `count`
// times, then `tail`; written piece by piece, as above.
QString writeRepeated(const QTemporaryDir& folder, const QByteArray& head, const QByteArray& piece, qint64 count,
                      const QByteArray& tail) {
    const QByteArray picture = ImageOps::png(fixtures::screenshotLike(40, 30), QStringLiteral("png"));
    const QByteArray png = json::dump(json::bytesToJson(picture));
    QByteArray start = head;
    start.replace("PNG", png);
    const QString path = folder.filePath(QStringLiteral("大.vistagon"));
    QFile file(path);
    bool written = file.open(QIODevice::WriteOnly) && file.write(start) >= 0;
    QByteArray block;
    for (qint64 index = 0; index < count && written; ++index) {
        block += piece;
        if (block.size() < (1 << 20) && index + 1 < count) continue;
        written = file.write(block) >= 0;
        block.clear();
    }
    if (!written || file.write(tail) < 0) std::abort();
    return path;
}

constexpr qint64 quarterGigabyte = 250'000'000;
const QByteArray arrowHead = R"({"version":1,"png":PNG,"marks":[{"id":"5B0C5E0A-8E2B-4C59-9E58-3B1F3C0E6B7A",)"
                             R"("tool":"arrow","points":[[1,1],[20,20]],"ink":{"r":1,"g":0,"b":0,"a":1},)";

struct Projects {
    QTemporaryDir folder;
    QString millionMarks = writeProject(folder, QStringLiteral("百万.vistagon"), 1'000'000);
    QString atTheLimit = writeProject(folder, QStringLiteral("极限.vistagon"), 25'000);
    // The text a picture may hold, 10,000 labels of the longest text: as
    // letters, and as characters each written as a six-byte escape.
    QString longLabels = writeProject(folder, QStringLiteral("长文字.vistagon"), 10'000, 10'000,
                                      QString(5'000, QLatin1Char('x')));
    QString mostText = writeProject(folder, QStringLiteral("最多文字.vistagon"), 25'000, 10'000, QString(5'000, QChar(1)));
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

// Each file lives only while its benchmark runs: together they would fill
// gigabytes of the disk.
void refuseAQuarterGigabyteNumber(benchmark::State& state) {
    QTemporaryDir folder;
    read(state, writeRepeated(folder, arrowHead + R"("text":"","fontSize":20,"width":1)", "0", quarterGigabyte, "}]}"),
         false);
}

void refuseAQuarterGigabyteLabel(benchmark::State& state) {
    QTemporaryDir folder;
    read(state, writeRepeated(folder, arrowHead + R"("fontSize":20,"width":1,"text":")", "x", quarterGigabyte, "\"}]}"),
         false);
}

void refuseAQuarterGigabyteIgnoredString(benchmark::State& state) {
    QTemporaryDir folder;
    read(state, writeRepeated(folder, R"({"version":1,"png":PNG,"marks":[],"note":")", "x", quarterGigabyte, "\"}"),
         false);
}

void refuseAQuarterGigabyteIgnoredKey(benchmark::State& state) {
    QTemporaryDir folder;
    read(state, writeRepeated(folder, R"({"version":1,"png":PNG,"marks":[],")", "k", quarterGigabyte, "\":1}"), false);
}

// 2,000 marks, each with 60,000 values in its ink that no ink has.
void refuseMarksWithTensOfThousandsOfIgnoredValues(benchmark::State& state) {
    QByteArray mark = R"({"id":"5B0C5E0A-8E2B-4C59-9E58-3B1F3C0E6B7A","tool":"arrow","points":[[1,1],[20,20]],)"
                      R"("width":1,"text":"","fontSize":20,"ink":{"r":1,"g":0,"b":0,"a":1,"more":[0)";
    for (int index = 1; index < 60'000; ++index) mark += ",0";
    mark += "]}},";
    QTemporaryDir folder;
    QByteArray head = R"({"version":1,"png":PNG,"marks":[)";
    read(state, writeRepeated(folder, head, mark, 2'000, R"({"id":"5B0C5E0A-8E2B-4C59-9E58-3B1F3C0E6B7A",)"
                                                         R"("tool":"arrow","points":[[1,1],[2,2]],"ink":{"r":1,"g":0,)"
                                                         R"("b":0,"a":1},"width":1,"text":"","fontSize":20}]})"),
         false);
}

void refuseTenMillionDeepNestingUnderAnIgnoredKey(benchmark::State& state) {
    QTemporaryDir folder;
    const QString path = writeRepeated(folder, R"({"version":1,"png":PNG,"marks":[],"deep":)", "[", 10'000'000, {});
    QFile file(path);
    if (!file.open(QIODevice::Append)) std::abort();
    for (int index = 0; index < 10; ++index) file.write(QByteArray(1'000'000, ']'));
    file.write("}");
    file.close();
    read(state, path, false);
}

void refuseAQuarterGigabyteOfWhiteSpace(benchmark::State& state) {
    QTemporaryDir folder;
    read(state, writeRepeated(folder, R"({"version":1,"png":PNG,"marks":[])", " ", quarterGigabyte, "}"), false);
}
void openTwentyFiveThousandMarks(benchmark::State& state) { read(state, projects().atTheLimit, true); }
void openTenThousandLongLabels(benchmark::State& state) { read(state, projects().longLabels, true); }
void openTheMostMarksAndTextAsEscapes(benchmark::State& state) { read(state, projects().mostText, true); }

}  // namespace

BENCHMARK(refuseAMillionMarks)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(openTwentyFiveThousandMarks)->Unit(benchmark::kMillisecond);
BENCHMARK(openTenThousandLongLabels)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(openTheMostMarksAndTextAsEscapes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseAQuarterGigabyteNumber)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseAQuarterGigabyteLabel)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseAQuarterGigabyteIgnoredString)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseAQuarterGigabyteIgnoredKey)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseMarksWithTensOfThousandsOfIgnoredValues)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseTenMillionDeepNestingUnderAnIgnoredKey)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(refuseAQuarterGigabyteOfWhiteSpace)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
