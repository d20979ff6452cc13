#include "editor_ui/FocusChain.h"

#include <QList>
#include <QWidget>

namespace tavero::FocusChain {

namespace {

// `root` and what it holds that may take the focus, in the order of its window's chain.
QList<QWidget*> controlsOf(QWidget& root) {
    QList<QWidget*> controls;
    QWidget* window = root.window();
    QWidget* at = window;
    do {
        if ((at == &root || root.isAncestorOf(at)) && at->focusPolicy() != Qt::NoFocus) controls.append(at);
        at = at->nextInFocusChain();
    } while (at && at != window);
    return controls;
}

}  // namespace

void placeAfter(QWidget& before, QWidget& widget) {
    const QList<QWidget*> anchors = controlsOf(before);
    if (anchors.isEmpty()) return;
    QWidget* previous = anchors.last();
    for (QWidget* control : controlsOf(widget)) {
        QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

}  // namespace tavero::FocusChain
