// The background sheet's live preview of a 5K screenshot: the work for the
// first preview and for each later change of the options, and a slider step
// on the sheet until its preview shows.
#include "editor_ui/BackgroundPreview.h"
#include "editor_ui/BackgroundSheet.h"
#include "editor_ui/SteppedSlider.h"
#include "tests/support/Pictures.h"

#include <QSignalSpy>
#include <QTest>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

const QImage& screenshot5k() {
    static const QImage image = fixtures::screenshotLike(5120, 2880);
    return image;
}

// Alternates between two margins, as a slider moved back and forth.
FrameOptions optionsFor(int iteration) { return FrameOptions{FramePreset::sea, iteration % 2 ? 104.0 : 96.0, 20}; }

// The first preview also reduces the screenshot once for all later ones.
void firstPreview(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BackgroundPreview::framing(screenshot5k())(FrameOptions{}));
}

void laterPreview(benchmark::State& state) {
    const BackgroundPreview::Work work = BackgroundPreview::framing(screenshot5k());
    work(FrameOptions{});
    int iteration = 0;
    for (auto _ : state) benchmark::DoNotOptimize(work(optionsFor(++iteration)));
}

void sliderStepToShownPreview(benchmark::State& state) {
    BackgroundSheet sheet(screenshot5k(), [](const FrameOptions&) {}, [] {});
    QSignalSpy answered(&sheet, &BackgroundSheet::previewAnswered);
    answered.wait(10'000);
    int iteration = 0;
    for (auto _ : state) {
        answered.clear();
        QTest::keyClick(sheet.marginSlider(), ++iteration % 2 ? Qt::Key_Right : Qt::Key_Left);
        if (!answered.wait(10'000)) state.SkipWithError("no preview came back");
    }
}

}  // namespace

BENCHMARK(firstPreview)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(laterPreview)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(sliderStepToShownPreview)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();
