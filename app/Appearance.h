#pragma once

class QApplication;

namespace tavero {

// The program's fixed look, whatever the desktop's settings: its style and
// light palette (ProgramStyle), the program's typeface, and Chinese texts in Qt's own dialogs and
// context menus. Call once, right after the application object is made;
// main thread.
void applyAppearance(QApplication& application);

}  // namespace tavero
