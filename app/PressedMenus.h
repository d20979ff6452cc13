#pragma once

namespace tavero {

// Qt's accessible menu item triggers its action on "Press" and leaves its
// menu open: a screen reader pressing 文件 → 关闭窗口 left the menu on screen
// alone, holding the keyboard, so no hot key worked until Escape, and keys
// went on to the menu bar. From this call on, a menu a screen reader reads
// closes, with the menus it was opened from, when one of its items is
// triggered while it shows, as a click on the item closes them; the keyboard
// stays where it was. Call once the QApplication exists, whose own factory
// would otherwise make the menus' interfaces first. Main thread.
void closeMenusPressedByScreenReaders();

}  // namespace tavero
