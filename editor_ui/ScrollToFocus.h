#pragma once

class QScrollArea;

namespace tavero {

// Keeps the control that has the keyboard focus in sight within `area`, and
// its focus mark around it, however the focus came to it: Qt scrolls a
// scroll area only when Tab moves on from a control inside it, not when the
// focus comes in from outside (Tab from the control before it, Backtab round
// the window), and only until the control itself shows.
// Widgets only; main thread.
void scrollToFocus(QScrollArea& area);

}  // namespace tavero
