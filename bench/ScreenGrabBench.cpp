// Grabs of the X screen, through MIT-SHM and through plain GetImage. Needs an
// X server of at least 3840 × 2160, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_screen_grab
#include "bench/SharedScreen.h"
#include "platform/desktop/X11ScreenSource.h"

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

void grab(benchmark::State& state) {
    const bool shared = state.range(0) != 0;
    const QRect area(0, 0, int(state.range(1)), int(state.range(2)));
    X11ScreenSource* source = bench::sharedScreen();
    if (!source || !source->displays().first().pixelFrame.contains(area)) {
        state.SkipWithError("needs an X display of at least this size");
        return;
    }
    if (shared && !source->hasSharedMemory()) {
        state.SkipWithError("the X server has no MIT-SHM");
        return;
    }
    source->setUseSharedMemory(shared);
    for (auto _ : state) {
        const QImage image = source->grabArea(area, false);
        if (image.size() != area.size()) state.SkipWithError("the grab failed");
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(shared ? "MIT-SHM" : "GetImage");
    state.SetBytesProcessed(state.iterations() * qint64(area.width()) * area.height() * 4);
}

}  // namespace

BENCHMARK(grab)
    ->ArgNames({"shm", "width", "height"})
    ->Args({1, 1920, 1080})
    ->Args({1, 3840, 2160})
    ->Args({0, 1920, 1080})
    ->Args({0, 3840, 2160})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
