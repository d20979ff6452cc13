#include "platform/TextRecognition.h"
#include "tests/support/Pictures.h"

#include <benchmark/benchmark.h>

#include <thread>

using namespace tavero;

namespace {

// Recognising a screenshot of the size given (the engine is started before
// the timing; its start is measured on its own).
void recognize(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(int(state.range(0)), int(state.range(1)));
    qsizetype lines = TextRecognition::recognizeLines(image).size();
    for (auto _ : state) lines = TextRecognition::recognizeLines(image).size();
    state.counters["lines"] = double(lines);
}

void startEngine(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(64, 64);
    for (auto _ : state) {
        // Each thread has its own engine, so a new thread measures a new start.
        std::thread([&image] { TextRecognition::recognizeLines(image); }).join();
    }
}

// What a user waits for after the first "识别文字" of a worker thread: the
// engine starts, then reads a full-screen screenshot of Chinese and English.
void recognizeFromStart(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(1920, 1080);
    qsizetype lines = 0;
    for (auto _ : state) {
        std::thread([&image, &lines] { lines = TextRecognition::recognizeLines(image).size(); }).join();
    }
    state.counters["lines"] = double(lines);
}

}  // namespace

BENCHMARK(recognizeFromStart)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(recognize)->Args({1200, 760})->Args({2880, 1800})->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(startEngine)->Unit(benchmark::kMillisecond)->Iterations(3);
