#include "document/FrameOptions.h"
#include "document/ImageOps.h"
#include "document/Mark.h"
#include "tests/support/Pictures.h"

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

constexpr int screenWidth = 5120;
constexpr int screenHeight = 2880;

const QImage& screenshot5k() {
    static const QImage image = fixtures::screenshotLike(screenWidth, screenHeight);
    return image;
}

Mark markAt(MarkTool tool, int index) {
    Mark mark;
    mark.tool = tool;
    const QPointF origin(150 + (index * 379) % 4300, 120 + (index * 211) % 2300);
    mark.points = {origin, origin + QPointF(420, 260)};
    if (tool == MarkTool::pen)
        mark.points = {origin, origin + QPointF(60, 90), origin + QPointF(140, 20), origin + QPointF(260, 180),
                       origin + QPointF(420, 260)};
    if (tool == MarkTool::text || tool == MarkTool::counter) mark.points = {origin};
    mark.text = tool == MarkTool::text ? QStringLiteral("这里需要修改 Fix this") : QString::number(index);
    mark.ink = Ink::palette[size_t(index) % Ink::palette.size()];
    return mark;
}

// 50 marks: three covers (frosted, soft, pixel) moved by `coverShift` pixels,
// and every other tool in turn.
QList<Mark> fiftyMarks(int coverShift) {
    QList<Mark> marks;
    const ObscureStyle styles[] = {ObscureStyle::frosted, ObscureStyle::soft, ObscureStyle::pixel};
    for (int index = 0; index < 3; ++index) {
        Mark cover = markAt(MarkTool::pixelate, index);
        cover.points = {QPointF(400 + 1500 * index + coverShift, 900), QPointF(1200 + 1500 * index, 1500)};
        cover.obscure = ObscureSettings{styles[index], 24, 0.28};
        marks.append(cover);
    }
    const std::vector<MarkTool> others = [] {
        std::vector<MarkTool> tools;
        for (MarkTool tool : allMarkTools)
            if (tool != MarkTool::pixelate) tools.push_back(tool);
        return tools;
    }();
    for (int index = 3; marks.size() < 50; ++index) marks.append(markAt(others[size_t(index) % others.size()], index));
    return marks;
}

void renderColdCovers(benchmark::State& state) {
    int shift = 0;
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::render(screenshot5k(), fiftyMarks(++shift % 200)));
}

void renderWarmCovers(benchmark::State& state) {
    const QList<Mark> marks = fiftyMarks(0);
    ImageOps::render(screenshot5k(), marks);
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::render(screenshot5k(), marks));
}

void coldFrostedCover(benchmark::State& state) {
    QImage target = screenshot5k().copy();
    QPainter painter(&target);
    int shift = 0;
    for (auto _ : state) {
        ++shift;
        Mark cover = markAt(MarkTool::pixelate, 0);
        cover.points = {QPointF(1000 + shift % 500, 700), QPointF(1800 + shift % 500, 1300)};
        cover.obscure = ObscureSettings{};
        ImageOps::obscure(cover, screenshot5k(), painter);
    }
}

void backgroundFrame(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::framed(screenshot5k(), FrameOptions{}, 1));
}

void framePreview(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ImageOps::framePreview(screenshot5k(), FrameOptions{}));
}

}  // namespace

BENCHMARK(renderColdCovers)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(renderWarmCovers)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(coldFrostedCover)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(backgroundFrame)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(framePreview)->Unit(benchmark::kMillisecond)->Iterations(10);
