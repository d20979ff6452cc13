#pragma once

#include "platform/desktop/ScreenContent.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// What the selection overlay shows: the frozen picture of one display, in
// pixels, laid over that display.
struct SelectionRequest {
    QImage image;
    DisplayInfo display;
    bool windowMode = false;
    // Shown instead of the overlay's own hint.
    std::optional<QString> prompt;
    // The window title, also the overlay's accessible name.
    QString title;
};

// The answer: a rectangle in the display's points (top-left origin), or
// none when the user pressed Escape.
using SelectionFinish = std::function<void(std::optional<QRectF>)>;

// Opens the selection overlay. Installed into the CaptureCoordinator by the
// widget layer (capture/ui), which the coordinator cannot see. Main thread.
class SelectionPresenter {
public:
    virtual ~SelectionPresenter() = default;

    // Shows the overlay and returns its window, which the caller keeps until
    // `finish` has been called once; the overlay hides itself before calling it.
    virtual std::unique_ptr<QObject> open(const SelectionRequest& request, SelectionFinish finish) = 0;
};

}  // namespace tavero
