#pragma once

#include <QImage>

#include <functional>
#include <memory>

namespace tavero {

// One pinned picture: a floating window above other programs that lives
// until the user closes it. Destroying the object destroys the window.
// Main thread.
class PinnedWindow {
public:
    virtual ~PinnedWindow() = default;

    // False once the user has closed the window.
    virtual bool isVisible() const = 0;
};

// Opens pinned windows. Installed into the application model by the widget
// layer (app/), which the model cannot see. Main thread.
class PinPresenter {
public:
    virtual ~PinPresenter() = default;

    // Shows `picture` in a new window, centred and in front; never null.
    // `closed` runs once the user has closed the window, which then no
    // longer counts as visible.
    virtual std::unique_ptr<PinnedWindow> open(const QImage& picture, std::function<void()> closed) = 0;
};

}  // namespace tavero
