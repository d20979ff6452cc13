// From a press of Ctrl+Shift+2, typed through XTEST, to the first painted
// frame of the selection overlay: the hot key's grab, the model, the
// capture's wait for the program's windows to leave the screen (none when
// nothing was shown), the screen's content, the frozen grab and the
// overlay's first paint. "paints" counts the overlay's paints; one is right.
// Needs its own X server, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_hot_key_overlay
#include "app/AppDelegate.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionView.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11ScreenSource.h"
#include "recording/ScreenRecorder.h"

#include <QApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

using namespace tavero;

namespace {

// Runs the event loop until `done` holds, looking every millisecond, for at
// most `limitMs`. QTest::qWaitFor sleeps 10 ms between its looks, which would
// be measured along with every hop to the main thread.
bool runUntil(const std::function<bool()>& done, int limitMs) {
    if (done()) return true;
    QEventLoop loop;
    QTimer look;
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return done();
}

// Notes when the overlay's first paint has reached the display, and counts
// its paints.
class OverlayPaints : public QObject {
public:
    OverlayPaints() { qApp->installEventFilter(this); }
    ~OverlayPaints() override { qApp->removeEventFilter(this); }

    std::optional<qint64> paintedAt;
    int paints = 0;
    QElapsedTimer clock;
    SelectionView* view = nullptr;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* selection = qobject_cast<SelectionView*>(object);
        if (event->type() != QEvent::Paint || !selection) return false;
        view = selection;
        if (++paints == 1) {
            // The frame is sent to the display once this paint returns.
            QTimer::singleShot(0, this, [this] { paintedAt = clock.nsecsElapsed(); });
        }
        return false;
    }
};

// A home of its own, so the library and the settings stay out of the user's.
struct BenchHome {
    BenchHome() {
        qputenv("HOME", folder.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (folder.path() + QStringLiteral("/.config")).toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path() + QStringLiteral("/.config"));
    }
    QTemporaryDir folder;
};

void hideEveryWindow() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->inherits("QSystemTrayIconSys")) window->hide();
}

// Ctrl+Shift+2 with the editor on the screen (it comes back after every
// cancelled capture) or with only the tray icon left (editor_shown:0).
void hotKeyToOverlay(benchmark::State& state) {
    const bool editorShown = state.range(0) != 0;
    BenchHome home;
    std::unique_ptr<SyntheticKeyboard> keyboard;
    AppDelegateSetup setup;
    try {
        keyboard = std::make_unique<SyntheticKeyboard>();
        setup.model.screen = std::make_shared<X11ScreenSource>();
    } catch (const std::runtime_error&) {
        state.SkipWithError("needs an X display with XTEST");
        return;
    }
    const QSize screenSize = setup.model.screen->displays().first().pixelFrame.size();
    setup.hotKeys = makeGlobalHotKeys();
    AppDelegate delegate(std::move(setup));
    delegate.launch({QStringLiteral("tavero")});
    AppModel& model = delegate.model();
    if (!model.status().startsWith(QStringLiteral("准备好了"))) {
        state.SkipWithError("Ctrl+Shift+2 is held by another program");
        return;
    }
    // No capture of an earlier step may still be running.
    if (!runUntil([&] { return !model.busy(); }, 10'000)) {
        state.SkipWithError("a capture is still running");
        return;
    }

    int paints = 0;
    for (auto _ : state) {
        if (!editorShown) hideEveryWindow();
        (void)runUntil([] { return false; }, 100);
        OverlayPaints overlay;
        overlay.clock.start();
        keyboard->chord(Qt::ControlModifier | Qt::ShiftModifier, QLatin1Char('2'));
        if (!runUntil([&] { return overlay.paintedAt.has_value(); }, 10'000)) {
            state.SkipWithError("the overlay did not appear");
            return;
        }
        state.SetIterationTime(double(*overlay.paintedAt) / 1e9);
        // Later paints would replace the first frame: wait for any.
        (void)runUntil([] { return false; }, 300);
        paints += overlay.paints;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(overlay.view, &escape);
        (void)runUntil([&] { return model.status() == CaptureMessages::cancelled() && !model.busy(); }, 10'000);
        model.setStatus(QString());
    }
    state.counters["paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
    state.SetLabel(QStringLiteral("%1x%2").arg(screenSize.width()).arg(screenSize.height()).toStdString());
}

}  // namespace

BENCHMARK(hotKeyToOverlay)
    ->ArgNames({"editor_shown"})
    ->Arg(1)
    ->Arg(0)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
