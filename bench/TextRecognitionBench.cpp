#include "bench/RecognitionErrors.h"
#include "platform/text/TextRecognition.h"
#include "tests/support/Pictures.h"
#include "tests/support/RecognitionPages.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <thread>
#include <utility>
#include <vector>

using namespace tavero;

namespace {

constexpr int pageCount = fixtures::recognitionPageCount + fixtures::layoutPageCount;

const fixtures::RecognitionPage& page(benchmark::State& state) {
    // Drawn once, after the application has loaded the fonts.
    static const std::vector<fixtures::RecognitionPage> pages = [] {
        std::vector<fixtures::RecognitionPage> all;
        for (auto& page : fixtures::recognitionPages()) all.push_back(std::move(page));
        for (auto& page : fixtures::layoutPages()) all.push_back(std::move(page));
        return all;
    }();
    return pages[size_t(state.range(0))];
}

void report(benchmark::State& state, const fixtures::RecognitionPage& known, const QStringList& read) {
    const bench::RecognitionErrors errors = bench::compareLines(known.lines, read);
    state.SetLabel(known.name.toStdString());
    state.counters["errors%"] = 100 * errors.rate();
    // The text as copied, in reading order, white space removed.
    state.counters["order%"] = 100 * fixtures::readingOrderErrorRate(known.lines, read);
    state.counters["junk"] = double(errors.junkLines);
    state.counters["lines"] = double(read.size());
}

// Our reading of each page, the engines already started (a worker thread
// keeps its engines).
void ourReading(benchmark::State& state) {
    const fixtures::RecognitionPage& known = page(state);
    QStringList read = TextRecognition::recognizeLines(known.image);
    for (auto _ : state) read = TextRecognition::recognizeLines(known.image);
    report(state, known, read);
}

// The first reading of a worker thread: its engines start while it prepares
// the page.
void ourFirstReading(benchmark::State& state) {
    const fixtures::RecognitionPage& known = page(state);
    QStringList read;
    for (auto _ : state) std::thread([&] { read = TextRecognition::recognizeLines(known.image); }).join();
    report(state, known, read);
}

double childProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// The Tesseract command line on the same page as a PNG file, with the same
// language data and its default settings; it starts its engine every time.
// Its processor time, spread over its own threads, is the "cpu" counter.
void commandLine(benchmark::State& state) {
    const fixtures::RecognitionPage& known = page(state);
    const QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("page.png"));
    if (!known.image.save(file)) return state.SkipWithError("cannot write the page");
    const QStringList arguments{file, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("chi_sim+eng")};
    QStringList read;
    const double processorBefore = childProcessorSeconds();
    for (auto _ : state) {
        QProcess tesseract;
        tesseract.start(QStringLiteral("tesseract"), arguments);
        if (!tesseract.waitForFinished(-1) || tesseract.exitCode() != 0)
            return state.SkipWithError("the tesseract command line is not installed or failed");
        read = QString::fromUtf8(tesseract.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    state.counters["cpu"] =
        benchmark::Counter(childProcessorSeconds() - processorBefore, benchmark::Counter::kAvgIterations);
    report(state, known, read);
}

// Reading a screenshot of the size given, the engines already started.
void recognize(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(int(state.range(0)), int(state.range(1)));
    qsizetype lines = TextRecognition::recognizeLines(image).size();
    for (auto _ : state) lines = TextRecognition::recognizeLines(image).size();
    state.counters["lines"] = double(lines);
}

void startEngine(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(64, 64);
    for (auto _ : state) {
        // Each thread has its own engines, so a new thread measures a new start.
        std::thread([&image] { TextRecognition::recognizeLines(image); }).join();
    }
}

// What a user waits for after the first "识别文字" of a worker thread: the
// engines start, then read a full-screen screenshot of Chinese and English.
void recognizeFromStart(benchmark::State& state) {
    const QImage image = fixtures::screenshotLike(1920, 1080);
    qsizetype lines = 0;
    for (auto _ : state) {
        std::thread([&image, &lines] { lines = TextRecognition::recognizeLines(image).size(); }).join();
    }
    state.counters["lines"] = double(lines);
}

}  // namespace

// Page by page, ours then the command line's, so both meet the same load.
// The command line starts its engine every time, as our first reading does.
const bool pagesRegistered = [] {
    using Run = void (*)(benchmark::State&);
    for (int index = 0; index < pageCount; ++index) {
        for (const auto& [name, run] : {std::pair<const char*, Run>{"ourFirstReading", ourFirstReading},
                                        {"ourReading", ourReading},
                                        {"commandLine", commandLine}})
            benchmark::RegisterBenchmark(name, run)
                ->Arg(index)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3)
                ->UseRealTime();
    }
    return true;
}();
BENCHMARK(recognize)
    ->Args({1200, 760})
    ->Args({2880, 1800})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(recognizeFromStart)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(startEngine)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
