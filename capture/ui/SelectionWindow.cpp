#include "capture/ui/SelectionWindow.h"

#include "capture/ui/SelectionView.h"

namespace tavero {

SelectionWindow::SelectionWindow(const SelectionRequest& request, SelectionFinish finish)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint) {
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
    raise();
    activateWindow();
    view_->setFocus(Qt::ActiveWindowFocusReason);
}

void SelectionWindow::resizeEvent(QResizeEvent*) { view_->setGeometry(rect()); }

}  // namespace tavero
