#include "editor_ui/ScrollToFocus.h"

#include "editor_ui/style/FocusRing.h"

#include <QApplication>
#include <QScrollArea>

namespace tavero {

namespace {

// Qt is content once the control itself shows; its mark lies around it.
// ensureVisible brings a point beyond the far edge back to `margin` pixels
// short of the edge itself: a margin of one puts the mark's far corner on the
// last row and column shown. Its near corner comes last, so that it wins when
// the mark is larger than the view.
void showMark(QScrollArea& area, const QWidget& control) {
    const QRect placed(control.mapTo(area.widget(), QPoint(0, 0)), control.size());
    const int outset = FocusRing::outset;
    const QRect mark = placed.marginsAdded(QMargins(outset, outset, outset, outset));
    area.ensureVisible(mark.right(), mark.bottom(), 1, 1);
    area.ensureVisible(mark.left(), mark.top(), 0, 0);
}

}  // namespace

void scrollToFocus(QScrollArea& area) {
    QObject::connect(qApp, &QApplication::focusChanged, &area, [&area](QWidget*, QWidget* now) {
        if (!now || !area.widget() || !area.widget()->isAncestorOf(now)) return;
        area.ensureWidgetVisible(now);
        showMark(area, *now);
    });
}

}  // namespace tavero
