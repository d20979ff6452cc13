// Records the whole first display with system sound and microphone into the
// take named by its one argument, prints the first part's path once that part
// has begun, and runs until it is killed.
#include "platform/desktop/X11ScreenSource.h"
#include "recording/ScreenRecorder.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

using namespace tavero;

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) return 2;
    const QString take = QString::fromLocal8Bit(argv[1]);
    X11ScreenSource screen;
    const QList<DisplayInfo> displays = screen.displays();
    if (displays.isEmpty()) return 3;
    ScreenRecorder recorder;
    recorder.onStarted = [&] {
        const QString part = QDir(recorder.partsDirectory()).filePath(RecordingSession::partFileName(1));
        std::printf("%s\n", qPrintable(part));
        std::fflush(stdout);
    };
    recorder.onFinished = [](const Result<RecordedVideo>&) { QCoreApplication::exit(4); };
    try {
        recorder.start({displays, {}}, displays.first(), std::nullopt, std::nullopt, take, true, true, true);
    } catch (const ShotError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 5;
    }
    return app.exec();
}
