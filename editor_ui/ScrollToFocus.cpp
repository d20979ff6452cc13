#include "editor_ui/ScrollToFocus.h"

#include <QApplication>
#include <QScrollArea>

namespace tavero {

void scrollToFocus(QScrollArea& area) {
    QObject::connect(qApp, &QApplication::focusChanged, &area, [&area](QWidget*, QWidget* now) {
        if (now && area.widget() && area.widget()->isAncestorOf(now)) area.ensureWidgetVisible(now);
    });
}

}  // namespace tavero
