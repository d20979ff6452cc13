#include "app/KeyboardFocusMark.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tavero {

KeyboardFocusMark::KeyboardFocusMark() { QCoreApplication::instance()->installEventFilter(this); }

KeyboardFocusMark::~KeyboardFocusMark() { QCoreApplication::instance()->removeEventFilter(this); }

bool KeyboardFocusMark::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: keyboardLast_ = true; break;
    case QEvent::MouseButtonPress:
    case QEvent::TouchBegin: keyboardLast_ = false; break;
    case QEvent::Show:
        // Qt has just cleared the window's mark; its focus comes in after this.
        if (keyboardLast_ && watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
            static_cast<QWidget*>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
        break;
    default: break;
    }
    return false;
}

}  // namespace tavero
