#include "app/ActiveWindowSync.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace tavero {

namespace {

bool isWindowShownOrHidden(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
    return watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow();
}

// The shown widget window whose native window has the keyboard; none when
// another kind of window, or none, has it.
QWidget* keyboardWindow() {
    const QWindow* focused = QGuiApplication::focusWindow();
    if (!focused) return nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowHandle() == focused && window->isVisible()) return window;
    return nullptr;
}

}  // namespace

ActiveWindowSync::ActiveWindowSync(QApplication& application) {
    application.installEventFilter(this);
    connect(&application, &QGuiApplication::focusWindowChanged, this, &ActiveWindowSync::checkSoon);
}

bool ActiveWindowSync::eventFilter(QObject* watched, QEvent* event) {
    if (isWindowShownOrHidden(watched, event)) checkSoon();
    return false;
}

// Once the show or hide under way, and what Qt does after it, is done.
void ActiveWindowSync::checkSoon() {
    if (checkPending_) return;
    checkPending_ = true;
    QMetaObject::invokeMethod(this, &ActiveWindowSync::check, Qt::QueuedConnection);
}

void ActiveWindowSync::check() {
    checkPending_ = false;
    // An open popup has the keyboard; its closing brings another look.
    if (QApplication::activePopupWidget()) return;
    QWidget* window = keyboardWindow();
    if (window && QApplication::activeWindow() != window) QApplication::setActiveWindow(window);
}

}  // namespace tavero
