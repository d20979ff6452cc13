#include "editor_ui/EndEditing.h"

#include <QWidget>

namespace tavero {

void endEditing(QWidget* widget) {
    if (!widget) return;
    if (QWidget* focused = widget->window()->focusWidget()) focused->clearFocus();
}

}  // namespace tavero
