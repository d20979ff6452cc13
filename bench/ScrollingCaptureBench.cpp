// A scrolling screenshot of 20 frames of 1440 × 1800 with about 900 new rows
// each, fed to the session as fast as it joins them: the time per frame
// (signature, alignment and join, with the hops between threads) and the
// time from "完成" to the finished long image.
#include "capture/CaptureCoordinator.h"
#include "capture/ScrollMessages.h"
#include "capture/ScrollingCapture.h"
#include "platform/desktop/FakeScreenSource.h"
#include "tests/capture/ScriptedFrames.h"
#include "tests/support/Pictures.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

constexpr int frameWidth = 1440;
constexpr int frameHeight = 1800;
constexpr int frameCount = 20;

// About 900 rows, a little uneven, as a hand scrolls.
int topOf(int frame) { return frame * 900 + (frame % 3) * 7; }

const QImage& page() {
    static const QImage picture = fixtures::textPage(frameWidth, topOf(frameCount - 1) + frameHeight);
    return picture;
}

// Runs the event loop until `done` holds, waking on every change of the session.
template <typename Done>
void runUntil(ScrollingCapture& session, Done done) {
    QEventLoop loop;
    QObject::connect(&session, &ScrollingCapture::stateChanged, &loop, &QEventLoop::quit);
    QObject::connect(&session, &ScrollingCapture::completed, &loop, &QEventLoop::quit);
    while (!done()) loop.exec();
}

void scrollingSession(benchmark::State& state) {
    auto screen = std::make_shared<FakeScreenSource>();
    CaptureCoordinator coordinator(screen);
    test::ScriptedFrames frames;
    ScrollingCapture session(screen);
    session.setStreamFactory(frames.factory());
    QImage result;
    QObject::connect(&session, &ScrollingCapture::completed, [&](const QImage& image) { result = image; });
    const CaptureRegion region{screen->displays().first().id, QRectF(0, 0, frameWidth, frameHeight)};
    QList<QImage> frameImages;
    for (int index = 0; index < frameCount; ++index)
        frameImages.append(page().copy(0, topOf(index), frameWidth, frameHeight));

    double frameSeconds = 0, finishSeconds = 0;
    for (auto _ : state) {
        session.start(frameImages.first(), region, coordinator);
        runUntil(session, [&] { return frames.running(); });
        QElapsedTimer clock;
        clock.start();
        // The first frame replaces the start image and is compared with itself.
        frames.send(frameImages.first());
        runUntil(session, [&] { return session.message() == ScrollMessages::unchanged(); });
        for (int index = 1; index < frameCount; ++index) {
            frames.send(frameImages[index]);
            runUntil(session, [&] { return session.count() == index + 1; });
        }
        frameSeconds += clock.nsecsElapsed() / 1e9;
        clock.restart();
        session.finish();
        runUntil(session, [&] { return !session.isActive(); });
        finishSeconds += clock.nsecsElapsed() / 1e9;
        if (result.height() != topOf(frameCount - 1) + frameHeight) state.SkipWithError("the frames did not join");
    }
    state.counters["ms_per_frame"] = benchmark::Counter(frameSeconds * 1000 / frameCount, benchmark::Counter::kAvgIterations);
    state.counters["ms_finish"] = benchmark::Counter(finishSeconds * 1000, benchmark::Counter::kAvgIterations);
    state.SetLabel("20 frames of 1440x1800, ~900 new rows each");
}

}  // namespace

BENCHMARK(scrollingSession)->Unit(benchmark::kMillisecond)->Iterations(5);
