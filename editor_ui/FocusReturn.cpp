#include "editor_ui/FocusReturn.h"

#include <QWidget>

namespace tavero {

FocusReturn::FocusReturn(QWidget& control) : QObject(&control), control_(control) {}

void FocusReturn::setEnabled(bool enabled) {
    if (enabled == control_.isEnabled()) return;
    if (!enabled) {
        owed_ = control_.window()->focusWidget() == &control_;
        // Meanwhile the window itself holds the keyboard: Qt would hand it
        // to the next control, which screen readers would name in passing.
        if (owed_) control_.window()->setFocus(Qt::OtherFocusReason);
        control_.setEnabled(false);
        standIn_ = control_.window()->focusWidget();
        return;
    }
    control_.setEnabled(true);
    if (owed_ && control_.window()->focusWidget() == standIn_) control_.setFocus(Qt::OtherFocusReason);
    owed_ = false;
}

}  // namespace tavero
