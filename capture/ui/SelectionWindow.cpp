#include "capture/ui/SelectionWindow.h"

#include "capture/ui/SelectionView.h"

namespace tavero {

SelectionWindow::SelectionWindow(const SelectionRequest& request, SelectionFinish finish)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      // Qt keeps a screen's native origin and measures its size in points.
      displayGeometry_(request.display.pointFrame().toRect()) {
    setWindowTitle(request.title);
    view_ = new SelectionView(request.image, request.windowMode, request.prompt, this);
    view_->setAccessibleName(request.title);
    view_->setFinish([this, finish = std::move(finish)](std::optional<QRectF> rect) {
        hide();
        finish(rect);
    });
    setGeometry(displayGeometry_);
}

void SelectionWindow::present() {
    setGeometry(displayGeometry_);
    show();
    raise();
    activateWindow();
    view_->setFocus(Qt::ActiveWindowFocusReason);
}

void SelectionWindow::resizeEvent(QResizeEvent*) { view_->setGeometry(rect()); }

}  // namespace tavero
