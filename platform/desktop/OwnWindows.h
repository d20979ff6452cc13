#pragma once

#include <QList>

namespace tavero {

// The program's floating windows that must never appear in a recording or a
// scrolling screenshot's frames (control bar, border, teleprompter, camera
// preview, portrait, scrolling bar). Each registers its X window when shown
// and unregisters when hidden; grabs that keep them out read the list at
// every picture. Any thread.
namespace OwnWindows {

void add(quint32 window);
void remove(quint32 window);
QList<quint32> list();

}  // namespace OwnWindows

}  // namespace tavero
