#include "document/ImageOps.h"
#include "platform/images/PngEncoder.h"
#include "tests/support/Pictures.h"

#include <QBuffer>
#include <QImageWriter>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

const QImage& screenshot5k() {
    static const QImage image = fixtures::screenshotLike(5120, 2880);
    return image;
}

const char* const types[] = {"png", "jpg", "heic"};

void encode(benchmark::State& state) {
    const QString type = QString::fromLatin1(types[state.range(0)]);
    qsizetype bytes = 0;
    for (auto _ : state) bytes = ImageOps::png(screenshot5k(), type).size();
    state.SetLabel(types[state.range(0)]);
    state.counters["KiB"] = double(bytes) / 1024;
}

const QImage& screenshot4k() {
    static const QImage image = fixtures::screenshotLike(3840, 2160);
    return image;
}

// Our PNG encoder on the 4K screenshot with as many threads as given (0: one
// per core); one thread is the size the bands are compared with.
void png4k(benchmark::State& state) {
    qsizetype bytes = 0;
    for (auto _ : state) bytes = png::encode(screenshot4k(), int(state.range(0))).size();
    state.counters["KiB"] = double(bytes) / 1024;
}

// Qt's own PNG writer on the same picture, at its default settings.
void qtPng4k(benchmark::State& state) {
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(screenshot4k());
        bytes = data.size();
    }
    state.counters["KiB"] = double(bytes) / 1024;
}

void decode(benchmark::State& state) {
    const QByteArray data = ImageOps::png(screenshot5k(), QString::fromLatin1(types[state.range(0)]));
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::decode(data));
    state.SetLabel(types[state.range(0)]);
}

}  // namespace

// The process's CPU time: PNG is compressed on several threads.
BENCHMARK(encode)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(3);
BENCHMARK(png4k)->ArgName("threads")->Arg(0)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MeasureProcessCPUTime()->Iterations(5);
BENCHMARK(qtPng4k)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(3);
BENCHMARK(decode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);
