#include "editor_ui/ScrollToFocus.h"

#include "editor_ui/style/FocusRing.h"

#include <QApplication>
#include <QScrollArea>

namespace tavero {

void scrollToFocus(QScrollArea& area) {
    QObject::connect(qApp, &QApplication::focusChanged, &area, [&area](QWidget*, QWidget* now) {
        if (!now || !area.widget() || !area.widget()->isAncestorOf(now)) return;
        area.ensureWidgetVisible(now);
        // Qt is content once the control itself shows; its mark lies around it.
        const QRect placed(now->mapTo(area.widget(), QPoint(0, 0)), now->size());
        area.ensureVisible(placed.center().x(), placed.center().y(), placed.width() / 2 + FocusRing::outset,
                           placed.height() / 2 + FocusRing::outset);
    });
}

}  // namespace tavero
