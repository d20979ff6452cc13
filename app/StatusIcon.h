#pragma once

#include "app/StatusLook.h"

#include <QIcon>

namespace tavero {

// Draws the status item's face: the symbol in its tint and, when there is
// one, the title below it, shrunk to fit, since a tray icon has no room
// beside it. Main thread.
namespace StatusIcon {

// The side of the square the icon is drawn on, in pixels.
inline constexpr int side = 64;

QIcon draw(const StatusLook& look);

}  // namespace StatusIcon
}  // namespace tavero
