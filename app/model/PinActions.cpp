// Pinning: the rendered picture goes to a floating window that the installed
// presenter opens; the model keeps the windows alive until they are closed.
#include "app/model/AppModel.h"

#include "app/model/RenderMessages.h"

#include <QPointer>

#include <algorithm>
#include <vector>

namespace tavero {

void AppModel::pin() {
    renderThen([this](const QImage& rendered) {
        if (!pinPresenter_) return;
        QPointer<AppModel> self(this);
        keepPin(pinPresenter_->open(rendered, [self] {
            if (self) self->pinClosed();
        }));
    });
}

// Windows the user closed are let go here, not when they close: the next pin
// is the first moment the model looks at them again.
void AppModel::keepPin(std::unique_ptr<PinnedWindow> window) {
    std::erase_if(pins_, [](const std::unique_ptr<PinnedWindow>& pinned) { return !pinned->isVisible(); });
    pins_.push_back(std::move(window));
    setStatus(RenderMessages::pinned());
}

void AppModel::pinClosed() {
    const bool open = std::ranges::any_of(pins_, [](const auto& pinned) { return pinned->isVisible(); });
    if (!open && status_ == RenderMessages::pinned()) setStatus(restingStatus());
}

}  // namespace tavero
