#include "capture/ui/SelectionWindow.h"

#include "capture/ui/SelectionView.h"

#include <QCoreApplication>

namespace tavero {

SelectionWindow::SelectionWindow(const SelectionRequest& request, SelectionFinish finish)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint) {
    // The view covers the window with the picture: no background first.
    setAttribute(Qt::WA_NoSystemBackground);
    // A palette that differs between active and inactive windows makes Qt
    // repaint the whole display once the window becomes active.
    QPalette steady = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        if (role == QPalette::NoRole) continue;
        const auto colorRole = QPalette::ColorRole(role);
        steady.setBrush(QPalette::Inactive, colorRole, steady.brush(QPalette::Active, colorRole));
    }
    setPalette(steady);
    setWindowTitle(request.title);
    view_ = new SelectionView(request.image, request.windowMode, request.prompt, this);
    view_->setAccessibleName(request.title);
    view_->setFinish([this, finish = std::move(finish)](std::optional<QRectF> rect) {
        hide();
        finish(rect);
    });
    // Qt keeps a screen's native origin and measures its size in points.
    setGeometry(request.display.pointFrame().toRect());
}

void SelectionWindow::present() {
    show();
    // show() queues a repaint of the whole window, which would come after
    // the first paint the server's expose brings: taken now, while nothing
    // is on the screen yet, it only marks what that first paint covers.
    QCoreApplication::sendPostedEvents(this, QEvent::UpdateLater);
    QCoreApplication::sendPostedEvents(view_, QEvent::UpdateLater);
    raise();
    activateWindow();
    view_->setFocus(Qt::ActiveWindowFocusReason);
}

void SelectionWindow::resizeEvent(QResizeEvent*) { view_->setGeometry(rect()); }

}  // namespace tavero
