// From a press of Ctrl+Shift+2, typed through XTEST, to the first painted
// frame of the selection overlay: the hot key's grab, the model, the
// capture's wait for the program's windows to leave the screen (none when
// nothing was shown), the screen's content, the frozen grab and the
// overlay's first paint. "paints" counts the overlay's paints; one is right.
// The time is the mean of 20 presses, "median_ms" and "slowest_ms" their
// spread. With other_shot:1 another program's area shot comes between
// presses, as a user takes one: its terminal (xterm) brought up over a
// corner of the editor, then `ksnip -r`, its own full-screen overlay, and
// Escape. Needs its own X server, for example:
//   tests/support/x11-session.sh --wm --size 3840x2160 -- build/bench/bench_hot_key_overlay
#include "app/AppDelegate.h"
#include "app/EditorWindow.h"
#include "capture/CaptureMessages.h"
#include "capture/ui/SelectionView.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "platform/desktop/SyntheticKeyboard.h"
#include "platform/desktop/X11ScreenSource.h"
#include "recording/ScreenRecorder.h"
#include "tests/support/RealInput.h"

#include <QApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

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

// Runs the event loop until `done` holds, asking every 50 ms, for at most
// `limitMs`: for questions that start a process.
bool pollUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        (void)runUntil([] { return false; }, 50);
    }
    return true;
}

// Another program's area shot, taken as a user takes one: from its terminal,
// brought up over a corner of the editor, `ksnip -r` shows its own
// full-screen overlay, which Escape closes.
class OtherProgramsShot {
public:
    // Opens the terminal over `corner`; false without xterm.
    bool start(QPoint corner) {
        const QString place = QStringLiteral("80x24+%1+%2").arg(corner.x()).arg(corner.y());
        terminal_.start(QStringLiteral("xterm"), {QStringLiteral("-geometry"), place});
        if (!terminal_.waitForStarted(5000)) return false;
        terminalWindow_ = shownWindowOf(terminal_);
        return terminalWindow_.has_value();
    }

    // False without ksnip, or when its overlay did not close.
    bool take(SyntheticKeyboard& keyboard) {
        if (!test::xdotool({QStringLiteral("windowraise"), *terminalWindow_})) return false;
        QProcess shot;
        shot.start(QStringLiteral("ksnip"), {QStringLiteral("-r")});
        const std::optional<QString> overlay = shot.waitForStarted(5000) ? shownWindowOf(shot) : std::nullopt;
        const bool closed = overlay && closeWithEscape(keyboard, *overlay);
        // Its end, which takes a while now and then, is no part of the shot.
        if (!pollUntil([&] { return shot.state() == QProcess::NotRunning; }, 2000)) shot.kill();
        shot.waitForFinished(5000);
        return closed;
    }

private:
    // xdotool's search ends with an error when a window goes while it looks,
    // so it is asked again until it finds one.
    static std::optional<QString> shownWindowOf(const QProcess& program) {
        QString windows;
        const auto found = [&] {
            windows = test::outputOf(QStringLiteral("xdotool"),
                                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                                      QString::number(program.processId())})
                          .value_or(QString())
                          .trimmed();
            return !windows.isEmpty();
        };
        if (!pollUntil(found, 10'000)) return std::nullopt;
        return windows.section(QLatin1Char('\n'), 0, 0);
    }

    // Presses Escape until `overlay` has left the screen: it takes the
    // keyboard once painted, and until then Escape may go elsewhere.
    static bool closeWithEscape(SyntheticKeyboard& keyboard, const QString& overlay) {
        return pollUntil(
            [&] {
                keyboard.press(SyntheticKeyboard::Key::escape);
                keyboard.release(SyntheticKeyboard::Key::escape);
                keyboard.sync();
                return pollUntil([&] { return !viewable(overlay); }, 1000);
            },
            10'000);
    }

    static bool viewable(const QString& window) {
        return test::outputOf(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window})
            .value_or(QString())
            .contains(QStringLiteral("IsViewable"));
    }

    QProcess terminal_;
    std::optional<QString> terminalWindow_;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Ctrl+Shift+2 with the editor on the screen (it comes back after every
// cancelled capture) or with only the tray icon left (editor_shown:0).
void hotKeyToOverlay(benchmark::State& state) {
    const bool editorShown = state.range(0) != 0;
    const bool otherShot = state.range(1) != 0;
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

    OtherProgramsShot other;
    if (otherShot && !other.start(delegate.window()->frameGeometry().topLeft() - QPoint(100, 50))) {
        state.SkipWithError("needs xterm");
        return;
    }

    int paints = 0;
    std::vector<double> presses;
    QWindow* editor = delegate.window()->windowHandle();
    for (auto _ : state) {
        // The editor back on the screen first, so that the terminal comes up over it.
        if (otherShot && editorShown) (void)runUntil([&] { return editor->isExposed(); }, 10'000);
        if (otherShot && !other.take(*keyboard)) {
            state.SkipWithError("needs ksnip, whose area shot ends with Escape");
            return;
        }
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
        presses.push_back(double(*overlay.paintedAt) / 1e6);
        // Later paints would replace the first frame: wait for any.
        (void)runUntil([] { return false; }, 300);
        paints += overlay.paints;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(overlay.view, &escape);
        (void)runUntil([&] { return model.status() == CaptureMessages::cancelled() && !model.busy(); }, 10'000);
        model.setStatus(QString());
    }
    state.counters["paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
    state.counters["median_ms"] = median(presses);
    state.counters["slowest_ms"] = *std::max_element(presses.begin(), presses.end());
    state.SetLabel(QStringLiteral("%1x%2").arg(screenSize.width()).arg(screenSize.height()).toStdString());
}

}  // namespace

BENCHMARK(hotKeyToOverlay)
    ->ArgNames({"editor_shown", "other_shot"})
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
