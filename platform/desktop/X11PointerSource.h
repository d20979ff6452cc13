#pragma once

#include "platform/desktop/PointerSource.h"

namespace tavero {

// The pointer of the X server named by $DISPLAY, through a connection of its
// own; only buttons 1 to 3 are reported (4 and up are wheel steps).
class X11PointerSource final : public PointerSource {
public:
    // Throws std::runtime_error when no X display can be opened.
    X11PointerSource();
    ~X11PointerSource() override;

    std::optional<PointerState> pointer() override;
    std::optional<QRect> windowFrame(quint32 window) override;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace tavero
