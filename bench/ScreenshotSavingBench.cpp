// A full 3840 × 2160 screenshot from the screen to a PNG file on disk: ours
// (grab, the capture's surface, PNG, written and synced as the library writes
// it) and the command lines of peer tools (scrot, maim, ImageMagick's import)
// on the same picture, shown across the screen, in the same run. Each reports
// the file's size and colour type; the peers' CPU time is "cpu_ms" (ours is
// the CPU column). Needs its own X server, for example:
//   tests/support/x11-session.sh --size 3840x2160 -- build/bench/bench_screenshot_saving
#include "bench/SharedScreen.h"
#include "document/ImageOps.h"
#include "platform/desktop/X11ScreenSource.h"
#include "platform/files/AtomicFile.h"
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace tavero;

namespace {

const QSize screenSize(3840, 2160);

const QImage& picture() {
    static const QImage image = fixtures::screenshotLike(screenSize.width(), screenSize.height());
    return image;
}

// The picture across the whole screen while this lives.
class ShownPicture {
public:
    ShownPicture() : window_(picture(), QRect(QPoint(0, 0), screenSize)) {}

    // Whether the screen shows the picture.
    bool shown() {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !bench::sharedScreen()) return false;
        if (QGuiApplication::primaryScreen()->geometry().size() != screenSize || !window_.showAndWait()) return false;
        const auto grab = [] { return bench::sharedScreen()->grabArea(QRect(QPoint(0, 0), screenSize), false); };
        return test::samePixels(test::grabUntil(grab, picture()), picture());
    }

private:
    test::PictureWindow window_;
};

const QTemporaryDir& folder() {
    static const QTemporaryDir dir;
    return dir;
}

double childCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](timeval t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void reportFile(benchmark::State& state, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return state.SkipWithError("no file was written");
    const QByteArray head = file.read(26);
    state.counters["KiB"] = double(file.size()) / 1024;
    // IHDR's colour type: 2 for RGB, 6 for RGBA.
    state.counters["colour_type"] = head.size() == 26 ? head.at(25) : -1;
}

void ours(benchmark::State& state) {
    ShownPicture shown;
    if (!shown.shown()) return state.SkipWithError("needs an X display of 3840 × 2160 (x11-session.sh)");
    const QString path = folder().filePath(QStringLiteral("ours.png"));
    for (auto _ : state) {
        const QImage grab = bench::sharedScreen()->grabArea(QRect(QPoint(0, 0), screenSize), false);
        const QImage surface = grab.convertToFormat(ImageOps::surfaceFormat);
        if (!writeFileAtomically(path, ImageOps::png(surface, QStringLiteral("png"))))
            return state.SkipWithError("the file could not be written");
    }
    reportFile(state, path);
}

struct Peer {
    const char* label;
    QString program;
    QStringList arguments;
};

const Peer& peer(int index) {
    static const QString file = folder().filePath(QStringLiteral("peer.png"));
    static const Peer peers[] = {
        {"scrot", QStringLiteral("scrot"), {QStringLiteral("--overwrite"), file}},
        {"maim", QStringLiteral("maim"), {file}},
        {"import", QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file}},
    };
    return peers[index];
}

void peerTool(benchmark::State& state) {
    const Peer& tool = peer(int(state.range(0)));
    state.SetLabel(tool.label);
    ShownPicture shown;
    if (!shown.shown()) return state.SkipWithError("needs an X display of 3840 × 2160 (x11-session.sh)");
    if (QStandardPaths::findExecutable(tool.program).isEmpty()) return state.SkipWithError("not installed");
    const QString path = tool.arguments.last();
    const double cpuBefore = childCpuMs();
    for (auto _ : state) {
        QProcess process;
        process.start(tool.program, tool.arguments);
        if (!process.waitForFinished(60'000) || process.exitCode() != 0) return state.SkipWithError("the tool failed");
    }
    state.counters["cpu_ms"] = (childCpuMs() - cpuBefore) / double(state.iterations());
    reportFile(state, path);
}

}  // namespace

// The process's CPU time: the PNG is compressed on several threads.
BENCHMARK(ours)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(8);
BENCHMARK(peerTool)->ArgName("tool")->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
