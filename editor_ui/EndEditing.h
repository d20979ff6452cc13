#pragma once

class QWidget;

namespace tavero {

// Takes the keyboard from the view of `widget`'s window that takes typed
// text, a text field or an inline label being typed, which commits it. Any
// other control keeps it: a button pressed from the keyboard stays where
// the user is. Main thread.
void endEditing(QWidget* widget);

}  // namespace tavero
