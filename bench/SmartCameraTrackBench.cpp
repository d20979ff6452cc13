#include "camera/SmartCameraTrack.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

using namespace tavero;

namespace {

constexpr int samplesPerSecond = 30;
constexpr int hourOfSamples = 60 * 60 * samplesPerSecond;

// An hour of pointer samples as a presenter makes them: bursts of work with
// clicks, pauses at rest, and now and then a trip outside the target.
const QList<CursorSample>& hourOfPointer() {
    static const QList<CursorSample> samples = [] {
        QList<CursorSample> made;
        made.reserve(hourOfSamples);
        std::mt19937 random(7);
        std::uniform_real_distribution<double> step(-0.01, 0.01);
        std::uniform_int_distribution<int> chance(0, 299);
        double x = 0.5, y = 0.5;
        for (int index = 0; index < hourOfSamples; ++index) {
            const bool resting = (index / (20 * samplesPerSecond)) % 3 == 2;
            if (!resting) {
                x = std::clamp(x + step(random), -0.1, 1.1);
                y = std::clamp(y + step(random), -0.1, 1.1);
            }
            const bool inside = x >= 0 && x < 1 && y >= 0 && y < 1;
            made.append({double(index) / samplesPerSecond, x, y, inside, !resting && chance(random) == 0});
        }
        return made;
    }();
    return samples;
}

// The goal: well under 50 ms for the whole hour.
void buildTrackForAnHour(benchmark::State& state) {
    const QList<CursorSample>& samples = hourOfPointer();
    for (auto _ : state) {
        SmartCameraTrack track(samples, RecordingEffects{});
        benchmark::DoNotOptimize(track.poses().constData());
    }
    state.SetItemsProcessed(state.iterations() * samples.size());
}

// What the exporter asks of the track: one pose and its viewport per output frame.
void readTrackForEveryFrameOfAnHour(benchmark::State& state) {
    const SmartCameraTrack track(hourOfPointer(), RecordingEffects{});
    const QSizeF frame(1920, 1080);
    for (auto _ : state) {
        for (int index = 0; index < hourOfSamples; ++index)
            benchmark::DoNotOptimize(SmartCameraTrack::viewport(track.at(double(index) / samplesPerSecond), frame));
    }
    state.SetItemsProcessed(state.iterations() * hourOfSamples);
}

}  // namespace

BENCHMARK(buildTrackForAnHour)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(readTrackForEveryFrameOfAnHour)->Unit(benchmark::kMillisecond)->UseRealTime();
