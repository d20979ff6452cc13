#include "editor_ui/FocusReturn.h"

#include <QWidget>

namespace tavero {

FocusReturn::FocusReturn(QWidget& control) : QObject(&control), control_(control) {}

void FocusReturn::setEnabled(bool enabled) {
    if (enabled == control_.isEnabled()) return;
    if (!enabled) {
        // The window holds the keyboard first: Qt would hand it to the next
        // control, which screen readers would name in passing.
        if (control_.window()->focusWidget() == &control_) owe();
        control_.setEnabled(false);
        return;
    }
    control_.setEnabled(true);
    if (owed_ && control_.window()->focusWidget() == standIn_) control_.setFocus(Qt::OtherFocusReason);
    owed_ = false;
}

void FocusReturn::takeKeyboard() {
    if (control_.isEnabled()) return control_.setFocus(Qt::OtherFocusReason);
    owe();
}

void FocusReturn::owe() {
    owed_ = true;
    control_.window()->setFocus(Qt::OtherFocusReason);
    standIn_ = control_.window()->focusWidget();
}

}  // namespace tavero
