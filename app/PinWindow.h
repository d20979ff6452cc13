#pragma once

#include "app/model/PinPresenter.h"

#include <QImage>
#include <QSizeF>
#include <QWidget>

#include <functional>

namespace tavero {

class PinView;

// The panel of one pinned picture: a titled, closable, resizable tool window
// that floats above other windows and shows a PinView. Closing it only hides
// it: the application model owns it and lets it go at its next pin.
//
// Screen readers meet it as a window, named by its title. Main thread.
class PinWindow final : public QWidget, public PinnedWindow {
    Q_OBJECT
public:
    static constexpr double maximumPictureSide = 700;
    static constexpr double minimumPictureHeight = 160;

    // The panel's content size in points for a picture of `pixels`, shown at
    // one point per pixel: at most 700 wide, the picture's proportion, its
    // area at least 160 and at most 700 high, plus the control row.
    static QSizeF contentSize(QSize pixels);

    // `closed` runs each time the user closes the window, once it is hidden.
    explicit PinWindow(const QImage& picture, std::function<void()> closed = {});

    bool isVisible() const override { return QWidget::isVisible(); }
    PinView& view() const { return *view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    PinView* view_;
    std::function<void()> closed_;
};

}  // namespace tavero
