#pragma once

#include "platform/desktop/PointerSource.h"

#include <QList>
#include <QMap>

namespace tavero {

// A pointer and window frames set by the caller, for tests and
// TAVERO_PLATFORM=fake. It remembers which windows were asked for.
class FakePointerSource final : public PointerSource {
public:
    // At the origin, no button held; none stands for a server that does not answer.
    void setPointer(std::optional<PointerState> state) { pointer_ = state; }
    // None: the window is gone.
    void setWindowFrame(quint32 window, std::optional<QRect> frame) { frames_[window] = frame; }
    // Every window asked for, in order.
    const QList<quint32>& frameRequests() const { return frameRequests_; }

    std::optional<PointerState> pointer() override { return pointer_; }
    std::optional<QRect> windowFrame(quint32 window) override {
        frameRequests_.append(window);
        return frames_.value(window);
    }

private:
    std::optional<PointerState> pointer_ = PointerState{};
    QMap<quint32, std::optional<QRect>> frames_;
    QList<quint32> frameRequests_;
};

}  // namespace tavero
