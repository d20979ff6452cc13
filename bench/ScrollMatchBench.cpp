#include "document/ImageOps.h"
#include "tests/support/Pictures.h"

#include <benchmark/benchmark.h>

#include <map>

using namespace tavero;

namespace {

// Frames of a 1440 × 1800 window and of the same window at scale 2.
constexpr int frameSizes[][2] = {{1440, 1800}, {2880, 3600}};
// Small enough for the phase-correlation hint to land on the right rows.
constexpr int hintedScroll = 47;

struct Frames {
    QImage previous;
    QImage scrolled;
    QImage unrelated;
};

const Frames& frames(int index) {
    static std::map<int, Frames> cache;
    auto found = cache.find(index);
    if (found != cache.end()) return found->second;
    const int width = frameSizes[index][0], height = frameSizes[index][1];
    const QImage page = fixtures::screenshotLike(width, height + hintedScroll);
    Frames made{page.copy(0, 0, width, height), page.copy(0, hintedScroll, width, height),
                fixtures::noise(width, height, 11)};
    return cache.emplace(index, std::move(made)).first->second;
}

void label(benchmark::State& state) {
    const int index = int(state.range(0));
    state.SetLabel(std::to_string(frameSizes[index][0]) + "x" + std::to_string(frameSizes[index][1]));
}

void signature(benchmark::State& state) {
    const QImage& frame = frames(int(state.range(0))).previous;
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::scrollSignature(frame));
    label(state);
}

void difference(benchmark::State& state) {
    const Frames& pair = frames(int(state.range(0)));
    const QByteArray a = ImageOps::scrollSignature(pair.previous), b = ImageOps::scrollSignature(pair.scrolled);
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::scrollDifference(a, b));
    label(state);
}

// The worst case: noise against a screenshot gives no usable hint, and every
// shift scores alike, so the exhaustive pass can drop almost none early.
void overlapWorstCase(benchmark::State& state) {
    const Frames& pair = frames(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::scrollOverlap(pair.unrelated, pair.previous));
    label(state);
}

void overlapHinted(benchmark::State& state) {
    const Frames& pair = frames(int(state.range(0)));
    if (ImageOps::scrollOverlap(pair.previous, pair.scrolled) != frameSizes[state.range(0)][1] - hintedScroll)
        state.SkipWithError("the scrolled frames did not match");
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::scrollOverlap(pair.previous, pair.scrolled));
    label(state);
}

}  // namespace

BENCHMARK(signature)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(difference)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(overlapWorstCase)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(overlapHinted)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
