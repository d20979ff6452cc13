#pragma once

#include "platform/desktop/ScreenContent.h"

class QScreen;

namespace tavero {

// The Qt screen that shows `display`: matched by name, else by native
// origin and pixel size; none when Qt knows no such screen. Main thread.
const QScreen* screenShowing(const DisplayInfo& display);

// Gives each display the backing scale of the Qt screen that shows it,
// matched by name, else by native origin and pixel size. Displays Qt does
// not know keep their scale. Main thread (Qt's screens live there).
void applyScreenScales(QList<DisplayInfo>& displays);

}  // namespace tavero
