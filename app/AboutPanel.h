#pragma once

#include <QString>

class QWidget;

namespace tavero {

// The About panel: the program's name and version, what it does, and its two
// main keys, with one OK button. Shown without blocking; it deletes itself
// when closed. Main thread.
namespace AboutPanel {

// "岚帧 Tavero " and the program's version, when it has one.
QString message();
QString information();

// Opens the panel over `parent`, modal to the program.
void open(QWidget* parent);

}  // namespace AboutPanel
}  // namespace tavero
