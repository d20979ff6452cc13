#pragma once

#include "capture/SelectionPresenter.h"

#include <QWidget>

namespace tavero {

class SelectionView;

// The borderless window that lays a SelectionView over exactly one display,
// above every other window (override-redirect, so no window manager moves,
// decorates or hides it, and it shows on every workspace). It takes the
// keyboard although it has no frame. Owns its view; main thread.
class SelectionWindow : public QWidget {
    Q_OBJECT
public:
    // `finish` runs once, after the window has hidden itself.
    SelectionWindow(const SelectionRequest& request, SelectionFinish finish);

    SelectionView* view() const { return view_; }

    // Shows the window over its display, active, with the view focused.
    void present();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    SelectionView* view_ = nullptr;
};

}  // namespace tavero
