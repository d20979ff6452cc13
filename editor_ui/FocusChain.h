#pragma once

class QWidget;

// The keyboard's path through a window (Qt's focus chain) for widgets made
// after the ones they stand between: Qt puts a widget at the end of the path
// when it is made or moved into the window, behind the status bar or a
// sheet's last button. Widgets only; main thread.
namespace tavero::FocusChain {

// Moves the controls of `widget` (it and what it holds, in their order) to
// just after the last control of `before`; after a scroll area that holds
// `widget` and came after it. Nothing moves when `before` holds no control.
void placeAfter(QWidget& before, QWidget& widget);

}  // namespace tavero::FocusChain
