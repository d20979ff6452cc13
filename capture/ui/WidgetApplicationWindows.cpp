#include "capture/ui/WidgetApplicationWindows.h"

#include <QApplication>

namespace tavero {

QList<QWidget*> WidgetApplicationWindows::shown() {
    QList<QWidget*> windows;
    for (QWidget* window : QApplication::topLevelWidgets())
        // The tray icon's own window (without a StatusNotifier host) stays:
        // it shows the countdown while everything else is out of the way.
        if (window->isVisible() && !window->inherits("QSystemTrayIconSys")) windows.append(window);
    return windows;
}

QList<quint32> WidgetApplicationWindows::shownWindows() const {
    QList<quint32> ids;
    for (QWidget* window : shown()) ids.append(quint32(window->winId()));
    return ids;
}

void WidgetApplicationWindows::hideAll() {
    for (QWidget* window : shown()) {
        hidden_.append(window);
        window->hide();
    }
}

void WidgetApplicationWindows::showAll() {
    const QList<QPointer<QWidget>> windows = std::exchange(hidden_, {});
    for (const QPointer<QWidget>& window : windows)
        if (window) window->show();
}

}  // namespace tavero
