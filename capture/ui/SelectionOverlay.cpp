#include "capture/ui/SelectionOverlay.h"

#include "capture/ui/SelectionWindow.h"

namespace tavero {

std::unique_ptr<QObject> SelectionOverlay::open(const SelectionRequest& request, SelectionFinish finish) {
    auto window = std::make_unique<SelectionWindow>(request, std::move(finish));
    window->present();
    return window;
}

}  // namespace tavero
