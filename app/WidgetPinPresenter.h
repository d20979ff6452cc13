#pragma once

#include "app/model/PinPresenter.h"

namespace tavero {

// Opens each pinned picture in a PinWindow on every workspace, centred on
// the screen under the pointer and ordered in front without taking the
// focus from the program in use. Stateless; main thread.
class WidgetPinPresenter final : public PinPresenter {
public:
    std::unique_ptr<PinnedWindow> open(const QImage& picture, std::function<void()> closed) override;
};

}  // namespace tavero
