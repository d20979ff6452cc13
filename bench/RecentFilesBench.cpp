// The recent-files sheet opening over a long library: made, laid out and
// painted once, with 100,000 entries beside 10.
#include "app/model/AppModel.h"
#include "editor_ui/RecentFilesView.h"
#include "library/CaptureRecord.h"
#include "recording/ScreenRecorder.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tavero;

namespace {

QList<CaptureRecord> records(qsizetype count) {
    QList<CaptureRecord> list;
    list.reserve(count);
    const QDateTime created = QDateTime::currentDateTime();
    for (qsizetype index = 0; index < count; ++index) {
        const QString file = QStringLiteral("截图_2026-03-05_14-07-09_%1.png").arg(index, 6, 16, QLatin1Char('0'));
        list.append({QUuid::createUuid(), file, file, created, 1920, 1080, CaptureRecord::imageKind});
    }
    return list;
}

void openSheet(benchmark::State& state) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    AppModel model{AppModelSetup{}};
    model.setHistory(records(state.range(0)));
    for (auto _ : state) {
        RecentFilesView sheet(model, [] {});
        benchmark::DoNotOptimize(sheet.grab());
    }
    state.SetLabel(std::to_string(state.range(0)) + " entries");
}

}  // namespace

BENCHMARK(openSheet)->Arg(10)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
