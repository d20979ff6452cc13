#pragma once

class QDialog;

// How the program's sheets and alerts come onto the screen, with or without
// a window manager. Widgets only; main thread.
namespace tavero::SheetPresentation {

// Before the dialog first shows: no title bar, so that no window manager
// gives it minimise or maximise buttons, and a thin edge that sets it off
// the window beneath.
void frame(QDialog& dialog);

// Shows the dialog with the modality it was given, in front of every
// window and with the keyboard. When it closes, the keyboard goes back to
// the window beneath, which X11 without a window manager leaves to nobody,
// unless that window has left the screen meanwhile.
void present(QDialog& dialog);

}  // namespace tavero::SheetPresentation
