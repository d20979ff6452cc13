#pragma once

class QScrollArea;

namespace tavero {

// Keeps the control that has the keyboard focus in sight within `area`,
// however the focus came to it: Qt scrolls a scroll area only when Tab
// moves on from a control inside it, not when the focus comes in from
// outside (Tab from the control before it, Backtab round the window).
// Widgets only; main thread.
void scrollToFocus(QScrollArea& area);

}  // namespace tavero
