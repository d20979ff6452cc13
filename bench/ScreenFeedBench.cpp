// The screen feed a recording reads: what a still screen costs while the
// grab thread waits on it, and what a grab of 1920 × 1080 costs with a
// 400 × 80 panel of ours taken out of it (over another program's page, over
// the bare desktop, dragged across the bare desktop), beside the same grab
// without one.
// Needs its own X server, for example:
//   tests/support/x11-session.sh -- build/bench/bench_screen_feed
#include "platform/desktop/OwnWindows.h"
#include "platform/desktop/ScreenFeed.h"
#include "tests/support/Pictures.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

using namespace tavero;
using Clock = std::chrono::steady_clock;

namespace {

const QRect screenArea(0, 0, 1920, 1080);

class PictureWindow : public QRasterWindow {
public:
    PictureWindow(QImage picture, const QRect& place, Qt::WindowFlags flags) : picture_(std::move(picture)) {
        setFlags(flags);
        setGeometry(place);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture_); }

private:
    QImage picture_;
};

bool onX11() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

void settleWindows(std::chrono::milliseconds time) {
    const Clock::time_point until = Clock::now() + time;
    while (Clock::now() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

double processSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

// Ten seconds of the grab thread's waits on a still screen: the pointer at
// rest (asked 30 times a second when it is drawn) and nothing drawn.
void stillScreen(benchmark::State& state) {
    if (!onX11()) {
        state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
        return;
    }
    const bool cursor = state.range(0) != 0;
    const std::unique_ptr<PictureFeed> feed = openScreenFeed(ScreenScope{screenArea, std::nullopt, cursor, {}});
    feed->grab();
    qint64 grabs = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double start = processSeconds();
        const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < end)
            if (feed->waitForChange(std::min(end, Clock::now() + std::chrono::seconds(1)))) {
                feed->grab();
                ++grabs;
            }
        cpu += processSeconds() - start;
    }
    state.counters["grabs"] = double(grabs);
    state.counters["cores"] = cpu / (10.0 * double(state.iterations()));
    state.SetLabel(cursor ? "pointer drawn" : "no pointer");
}

// Where our panel lies while the screen is grabbed.
enum class PanelCase { none, overPage, overDesktop, draggedOverDesktop };

const char* labelOf(PanelCase panel) {
    switch (panel) {
    case PanelCase::none: return "nothing to take out";
    case PanelCase::overPage: return "400x80 panel of ours over a page taken out";
    case PanelCase::overDesktop: return "400x80 panel of ours over the bare desktop taken out";
    case PanelCase::draggedOverDesktop: return "400x80 panel of ours dragged 8 px a picture over the bare desktop";
    }
    return "";
}

// Grabs of the whole screen over a page of noise, with a panel of ours over
// it or over the bare desktop below it taken out, or none.
void grabWithPanel(benchmark::State& state) {
    if (!onX11()) {
        state.SkipWithError("needs an X display (QT_QPA_PLATFORM=xcb)");
        return;
    }
    const auto panel = PanelCase(state.range(0));
    PictureWindow page(fixtures::noise(1600, 900, 3), QRect(160, 90, 1600, 900), Qt::Window | Qt::FramelessWindowHint);
    page.show();
    QImage colour(400, 80, QImage::Format_RGB32);
    colour.fill(Qt::magenta);
    const QPoint place = panel == PanelCase::overPage ? QPoint(760, 500) : QPoint(760, 995);
    PictureWindow ours(colour, QRect(place, colour.size()),
                       Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    if (panel != PanelCase::none) ours.show();
    settleWindows(std::chrono::milliseconds(300));
    if (panel != PanelCase::none) OwnWindows::add(quint32(ours.winId()));
    const std::unique_ptr<PictureFeed> feed = openScreenFeed(ScreenScope{screenArea, std::nullopt, false, {}});
    // The first grab redirects the windows, which then draw what ours covers.
    feed->grab();
    settleWindows(std::chrono::milliseconds(300));
    // The encoder holds the previous picture while the next is grabbed, so
    // the grabs reuse their shared segments.
    QImage previous;
    int step = 0;
    for (auto _ : state) {
        if (panel == PanelCase::draggedOverDesktop) {
            // Back and forth over 400 pixels.
            const int offset = 8 * (step++ % 100);
            ours.setPosition(place + QPoint(offset < 400 ? offset - 200 : 600 - offset, 0));
            QCoreApplication::processEvents();
        }
        QImage picture = feed->grab();
        if (picture.size() != screenArea.size()) state.SkipWithError("the grab failed");
        benchmark::DoNotOptimize(picture.constBits());
        previous = std::move(picture);
    }
    if (panel != PanelCase::none) OwnWindows::remove(quint32(ours.winId()));
    state.SetLabel(labelOf(panel));
}

}  // namespace

BENCHMARK(stillScreen)->ArgName("cursor")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(grabWithPanel)->ArgName("panel")->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
