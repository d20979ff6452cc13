// From a press of Ctrl+Shift+2, typed through XTEST, to the first painted
// frame of the selection overlay: the hot key's grab, the model, the
// capture's wait for the program's windows to leave (the designed 0.2 s, or
// none), the screen's content, the frozen grab and the overlay's first paint.
// Needs its own X server, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_hot_key_overlay
#include "app/AppDelegate.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionView.h"
#include "platform/GlobalHotKeys.h"
#include "platform/SyntheticKeyboard.h"
#include "platform/X11ScreenSource.h"
#include "recording/ScreenRecorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>
#include <stdexcept>

using namespace tavero;

namespace {

// Notes when the overlay's first paint has reached the display.
class OverlayPaints : public QObject {
public:
    OverlayPaints() { qApp->installEventFilter(this); }
    ~OverlayPaints() override { qApp->removeEventFilter(this); }

    std::optional<qint64> paintedAt;
    QElapsedTimer clock;
    SelectionView* view = nullptr;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* selection = qobject_cast<SelectionView*>(object);
        if (event->type() == QEvent::Paint && selection && !paintedAt) {
            view = selection;
            // The frame is sent to the display once this paint returns.
            QTimer::singleShot(0, this, [this] {
                if (!paintedAt) paintedAt = clock.nsecsElapsed();
            });
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

void hotKeyToOverlay(benchmark::State& state) {
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
    setup.model.captureTiming.settle = std::chrono::milliseconds(state.range(0));
    setup.hotKeys = makeGlobalHotKeys();
    AppDelegate delegate(std::move(setup));
    delegate.launch({QStringLiteral("tavero")});
    AppModel& model = delegate.model();
    if (!model.status().startsWith(QStringLiteral("准备好了"))) {
        state.SkipWithError("Ctrl+Shift+2 is held by another program");
        return;
    }
    QTest::qWait(300);

    for (auto _ : state) {
        OverlayPaints paints;
        paints.clock.start();
        keyboard->chord(Qt::ControlModifier | Qt::ShiftModifier, QLatin1Char('2'));
        if (!QTest::qWaitFor([&] { return paints.paintedAt.has_value(); }, 10'000)) {
            state.SkipWithError("the overlay did not appear");
            return;
        }
        state.SetIterationTime(double(*paints.paintedAt) / 1e9);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(paints.view, &escape);
        (void)QTest::qWaitFor([&] { return model.status() == CaptureMessages::cancelled() && !model.busy(); }, 10'000);
        model.setStatus(QString());
        QTest::qWait(50);
    }
    state.SetLabel(QStringLiteral("%1x%2").arg(screenSize.width()).arg(screenSize.height()).toStdString());
}

}  // namespace

BENCHMARK(hotKeyToOverlay)
    ->ArgNames({"settle_ms"})
    ->Arg(200)
    ->Arg(0)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
