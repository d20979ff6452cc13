#include "editor_ui/EndEditing.h"

#include <QWidget>

namespace tavero {

void endEditing(QWidget* widget) {
    if (!widget) return;
    QWidget* focused = widget->window()->focusWidget();
    if (focused && focused->testAttribute(Qt::WA_InputMethodEnabled)) focused->clearFocus();
}

}  // namespace tavero
