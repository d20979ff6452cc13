#include "capture/ui/WidgetApplicationWindows.h"

#include <QApplication>

namespace tavero {

QList<quint32> WidgetApplicationWindows::hideAll() {
    QList<quint32> hiddenNow;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        // The tray icon's own window (without a StatusNotifier host) stays:
        // it shows the countdown while everything else is out of the way.
        if (!window->isVisible() || window->inherits("QSystemTrayIconSys")) continue;
        hidden_.append(window);
        hiddenNow.append(quint32(window->winId()));
        window->hide();
    }
    return hiddenNow;
}

void WidgetApplicationWindows::showAll() {
    const QList<QPointer<QWidget>> windows = std::exchange(hidden_, {});
    for (const QPointer<QWidget>& window : windows)
        if (window) window->show();
}

}  // namespace tavero
