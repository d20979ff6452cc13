#include "platform/desktop/X11PointerSource.h"

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11Windows.h"

namespace tavero {

namespace {

int buttonsOf(uint16_t mask) {
    int buttons = 0;
    if (mask & XCB_BUTTON_MASK_1) buttons |= leftButton;
    if (mask & XCB_BUTTON_MASK_2) buttons |= middleButton;
    if (mask & XCB_BUTTON_MASK_3) buttons |= rightButton;
    return buttons;
}

}  // namespace

struct X11PointerSource::Private {
    x11::Connection connection;
};

X11PointerSource::X11PointerSource() : d_(std::make_unique<Private>()) {}

X11PointerSource::~X11PointerSource() = default;

std::optional<PointerState> X11PointerSource::pointer() {
    xcb_connection_t* c = d_->connection.get();
    const auto reply = x11::take(xcb_query_pointer_reply(c, xcb_query_pointer(c, d_->connection.root()), nullptr));
    if (!reply) return std::nullopt;
    return PointerState{QPoint(reply->root_x, reply->root_y), buttonsOf(reply->mask)};
}

std::optional<QRect> X11PointerSource::windowFrame(quint32 window) {
    const std::optional<QRect> frame = x11::windowFrame(d_->connection, window);
    // A window that has gone leaves an error on the connection.
    d_->connection.discardEvents();
    return frame;
}

}  // namespace tavero
