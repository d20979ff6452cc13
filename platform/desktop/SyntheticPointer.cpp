#include "platform/desktop/SyntheticPointer.h"

#include "platform/desktop/X11Connection.h"

#include <xcb/xtest.h>

#include <stdexcept>

namespace tavero {

namespace {

// The X protocol numbers the buttons from 1: left, middle, right.
uint8_t detailOf(PointerButton button) {
    switch (button) {
    case leftButton: return 1;
    case middleButton: return 2;
    case rightButton: return 3;
    }
    return 1;
}

}  // namespace

struct SyntheticPointer::Private {
    x11::Connection connection;

    void send(uint8_t type, uint8_t detail, QPoint position = {}) {
        xcb_test_fake_input(connection.get(), type, detail, XCB_CURRENT_TIME, connection.root(), int16_t(position.x()),
                            int16_t(position.y()), 0);
        xcb_flush(connection.get());
    }
};

SyntheticPointer::SyntheticPointer() : d_(std::make_unique<Private>()) {
    if (!d_->connection.has(&xcb_test_id)) throw std::runtime_error("the X server has no XTEST");
}

SyntheticPointer::~SyntheticPointer() = default;

void SyntheticPointer::moveTo(QPoint position) { d_->send(XCB_MOTION_NOTIFY, 0, position); }
void SyntheticPointer::press(PointerButton button) { d_->send(XCB_BUTTON_PRESS, detailOf(button)); }
void SyntheticPointer::release(PointerButton button) { d_->send(XCB_BUTTON_RELEASE, detailOf(button)); }

void SyntheticPointer::sync() {
    xcb_connection_t* c = d_->connection.get();
    x11::take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

}  // namespace tavero
