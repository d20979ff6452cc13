// How long the main thread stands still while the program reads and writes
// the project beside a long recording: the longest take a sidecar holds,
// 240,000 pointer samples in two hours and twelve minutes (24 MB). Each iteration's time is the longest gap between two
// ticks of a timer that asks to run every millisecond on the main thread;
// "shown" is the wall-clock time until the work was done.
#include "app/model/AppModel.h"
#include "camera/RecordingProject.h"
#include "camera/SmartVideoExporter.h"
#include "platform/files/FreeSpace.h"
#include "platform/threads/MainThread.h"
#include "recording/ScreenRecorder.h"
#include "recording/studio/RecordingStudio.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

using namespace tavero;

namespace {

constexpr qsizetype longestTake = RecordingProject::maxSamples;

using Clock = std::chrono::steady_clock;

// The longest time the main thread went without turning its event loop.
class StallWatch {
public:
    StallWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }

    void start() {
        longest_ = {};
        last_ = Clock::now();
        timer_.start();
    }

    double stop() {
        tick();
        timer_.stop();
        return std::chrono::duration<double>(longest_).count();
    }

private:
    void tick() {
        const Clock::time_point now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }

    QTimer timer_;
    Clock::time_point last_;
    Clock::duration longest_{};
};

// Renders by copying the raw recording, and answers on the next turn of the
// event loop, as a render that has just finished does.
class CopyingExporter final : public SmartVideoExporter {
public:
    void exportVideo(const QString& source, const QString& destination, const RecordingProject&, Progress,
                     Completion completion) override {
        QFile::copy(source, destination);
        lastDestination = destination;
        postToMain([completion, destination] { completion(destination); });
    }
    void cancel() override {}

    QString lastDestination;
};

// The longest take: the pointer wanders and clicks now and then.
RecordingProject longestProject(const QString& raw) {
    RecordingProject project;
    project.sourceFile = QFileInfo(raw).fileName();
    project.targetName = QStringLiteral("全屏 · 1920 × 1080");
    project.duration = double(longestTake) / 30;
    project.samples.reserve(longestTake);
    for (qsizetype index = 0; index < longestTake; ++index)
        project.samples.append({double(index) / 30, 0.5 + 0.4 * std::sin(index * 0.001), 0.5 + 0.4 * std::cos(index * 0.0013),
                                true, index % 97 == 0});
    return project;
}

void runUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The program's model in a home of its own, with a raw recording of the
// longest take and its project in the library, and a video without one.
struct LongTake {
    LongTake() {
        AppModelSetup setup;
        setup.makeStudio = [this](RecordingHost& host) {
            StudioParts parts;
            auto copying = std::make_unique<CopyingExporter>();
            exporter = copying.get();
            parts.exporter = std::move(copying);
            return std::make_unique<RecordingStudio>(host, std::move(parts));
        };
        model = std::make_unique<AppModel>(std::move(setup));
        const QString library = model->library().root();
        QDir().mkpath(library);
        raw = library + QStringLiteral("/录屏_两小时.mp4");
        plain = library + QStringLiteral("/录屏_无项目.mp4");
        QFile file(raw);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(4096, 'v'));
        file.close();
        QFile::copy(raw, plain);
        longestProject(raw).save(raw);
    }

    RecordingStudio& studio() { return model->studio(); }
    bool showsTheLongTake() {
        return studio().currentProject() && studio().currentProject()->samples.size() == longestTake;
    }

    test::TempHome home;
    FreeSpace::ScopedProbe plentyOfSpace{[](const QString&) { return std::optional<qint64>(qint64(1) << 40); }};
    CopyingExporter* exporter = nullptr;
    std::unique_ptr<AppModel> model;
    QString raw;
    QString plain;
};

// From opening the video until the workspace has its project.
void openVideoOfTheLongestTake(benchmark::State& state) {
    LongTake take;
    StallWatch watch;
    double shown = 0;
    for (auto _ : state) {
        take.model->open(take.plain);
        runUntil([&] { return !take.studio().currentProject(); });
        QElapsedTimer wall;
        wall.start();
        watch.start();
        take.model->open(take.raw);
        runUntil([&] { return take.showsTheLongTake(); });
        state.SetIterationTime(watch.stop());
        shown += wall.nsecsElapsed() / 1e6;
    }
    state.counters["shown_ms"] = benchmark::Counter(shown, benchmark::Counter::kAvgIterations);
}

// From the end of a render until the finished video is listed with its
// project beside it and beside the raw recording.
void finishARenderOfTheLongestTake(benchmark::State& state) {
    LongTake take;
    take.model->open(take.raw);
    runUntil([&] { return take.showsTheLongTake(); });
    StallWatch watch;
    double listed = 0;
    for (auto _ : state) {
        const qsizetype before = take.model->history().size();
        QElapsedTimer wall;
        wall.start();
        watch.start();
        take.studio().render();
        runUntil([&] {
            return take.model->history().size() > before && !take.studio().processing() &&
                   QFileInfo::exists(RecordingProject::sidecar(take.exporter->lastDestination));
        });
        state.SetIterationTime(watch.stop());
        listed += wall.nsecsElapsed() / 1e6;
    }
    state.counters["listed_ms"] = benchmark::Counter(listed, benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK(openVideoOfTheLongestTake)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(finishARenderOfTheLongestTake)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
