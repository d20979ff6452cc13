#pragma once

class QMenu;
class QToolButton;

namespace tavero {

// Gives `button` `menu`, which a click or Space opens at once. Screen readers
// open it with the button's "ShowMenu" action too: Qt's own accessible tool
// button offers that action for such a button but opens nothing on it.
// Main thread.
void setInstantMenu(QToolButton& button, QMenu* menu);

}  // namespace tavero
