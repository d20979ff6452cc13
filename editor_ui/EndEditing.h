#pragma once

class QWidget;

namespace tavero {

// Takes the keyboard from whichever view of `widget`'s window has it, which
// commits a text field or an inline label being typed. Main thread.
void endEditing(QWidget* widget);

}  // namespace tavero
