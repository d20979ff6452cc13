#include "platform/desktop/DisplayScales.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tavero {

namespace {

// Qt keeps a screen's native top-left corner and divides its size by the scale.
bool showsSameArea(const QScreen& screen, const DisplayInfo& display) {
    const QRect geometry = screen.geometry();
    const double ratio = screen.devicePixelRatio();
    return geometry.topLeft() == display.pixelFrame.topLeft() &&
           std::lround(geometry.width() * ratio) == display.pixelFrame.width() &&
           std::lround(geometry.height() * ratio) == display.pixelFrame.height();
}

}  // namespace

const QScreen* screenShowing(const DisplayInfo& display) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        if (screen->name() == display.name) return screen;
    for (const QScreen* screen : screens)
        if (showsSameArea(*screen, display)) return screen;
    return nullptr;
}

void applyScreenScales(QList<DisplayInfo>& displays) {
    for (DisplayInfo& display : displays)
        if (const QScreen* screen = screenShowing(display); screen && screen->devicePixelRatio() > 0)
            display.scale = screen->devicePixelRatio();
}

}  // namespace tavero
