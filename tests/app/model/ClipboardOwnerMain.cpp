// Another program holding the clipboard, for x11 tests of paste: offers the
// bytes of each file under the type named before it, says "ready" once it
// owns the clipboard and quits when its standard input closes.
//   tavero_clipboard_owner type file [type file ...]
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() % 2 != 0) return 2;
    auto* offered = new QMimeData;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        QFile file(arguments[i + 1]);
        if (!file.open(QIODevice::ReadOnly)) return 1;
        offered->setData(arguments[i], file.readAll());
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(offered);
    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, &app, [&] {
        if (!clipboard->ownsClipboard()) return;
        ready.stop();
        std::puts("ready");
        std::fflush(stdout);
    });
    ready.start(10);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
    });
    return app.exec();
}
