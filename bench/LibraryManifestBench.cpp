#include "library/LibraryManifest.h"
#include "platform/files/AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

constexpr int recordCount = 2000;
// Records whose file was deleted behind the library's back.
constexpr int missingCount = 20;

// A library folder with 2,000 listed files, as a long-used library holds.
struct LargeLibrary {
    LargeLibrary() {
        QList<CaptureRecord> records;
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 0; i < recordCount; ++i) {
            const QString file = QStringLiteral("截图_2026-03-05_14-07-09_%1.png").arg(i, 6, 10, QLatin1Char('0'));
            records.append({QUuid::createUuid(), file, file, now.addSecs(-i), 1920, 1080, CaptureRecord::imageKind});
            if (i >= missingCount) QFile(folder.filePath(file)).open(QIODevice::WriteOnly);
        }
        manifest = encodeManifest(records);
    }
    void restoreManifest() const {
        writeFileAtomically(folder.filePath(LibraryManifest::fileName), manifest).orThrow(QStringLiteral("no manifest"));
    }

    QTemporaryDir folder;
    QByteArray manifest;
};

const LargeLibrary& largeLibrary() {
    static const LargeLibrary library;
    return library;
}

// What a load does to a library with deleted files: read, prune, rewrite.
void loadPruneAndRewrite(benchmark::State& state) {
    const LargeLibrary& library = largeLibrary();
    for (auto _ : state) {
        state.PauseTiming();
        library.restoreManifest();
        state.ResumeTiming();
        LibraryManifest manifest(library.folder.path());
        manifest.read();
        if (manifest.removeMissingRecords() > 0) manifest.write();
        benchmark::DoNotOptimize(manifest.records().size());
    }
    state.counters["records"] = recordCount;
}

// What every save does after adding its record: prune, then rewrite.
void rewrite(benchmark::State& state) {
    const LargeLibrary& library = largeLibrary();
    library.restoreManifest();
    LibraryManifest manifest(library.folder.path());
    manifest.read();
    for (auto _ : state) manifest.write();
    state.counters["records"] = double(manifest.records().size());
}

}  // namespace

BENCHMARK(loadPruneAndRewrite)->Unit(benchmark::kMillisecond);
BENCHMARK(rewrite)->Unit(benchmark::kMillisecond);
