#pragma once

#include "capture/SelectionPresenter.h"

namespace tavero {

// Opens SelectionWindows for the CaptureCoordinator. Stateless; main thread.
class SelectionOverlay final : public SelectionPresenter {
public:
    std::unique_ptr<QObject> open(const SelectionRequest& request, SelectionFinish finish) override;
};

}  // namespace tavero
