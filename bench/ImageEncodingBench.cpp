#include "document/ImageOps.h"
#include "tests/support/Pictures.h"

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
BENCHMARK(decode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(5);
