// A window of another process for x11 tests: shows the noise pattern of
// `seed` at the given place under the given title, says "ready" once it is
// on screen and quits when its standard input closes.
//   tavero_test_window x y width height seed title
#include "tests/support/Pictures.h"
#include "tests/support/TestWindows.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 7) return 2;
    const QRect place(arguments[1].toInt(), arguments[2].toInt(), arguments[3].toInt(), arguments[4].toInt());
    tavero::test::PictureWindow window(tavero::fixtures::noise(place.width(), place.height(), arguments[5].toUInt()),
                                       place);
    window.setTitle(arguments[6]);
    if (!window.showAndWait()) return 1;
    std::puts("ready");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) app.quit();
    });
    return app.exec();
}
