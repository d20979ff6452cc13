#include "platform/desktop/SyntheticKeyboard.h"

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11KeyMap.h"

#include <xcb/xtest.h>

#include <stdexcept>

namespace tavero {

namespace {

// The X protocol's keysyms of the keys that are not characters.
xcb_keysym_t keysymOf(SyntheticKeyboard::Key key) {
    switch (key) {
    case SyntheticKeyboard::Key::control: return 0xffe3;
    case SyntheticKeyboard::Key::shift: return 0xffe1;
    case SyntheticKeyboard::Key::numLock: return 0xff7f;
    case SyntheticKeyboard::Key::capsLock: return 0xffe5;
    case SyntheticKeyboard::Key::escape: return 0xff1b;
    }
    return 0;
}

}  // namespace

struct SyntheticKeyboard::Private {
    x11::Connection connection;
    x11::KeyMap keys{connection};

    // The modifier bits now, locks included.
    uint16_t modifierState() {
        xcb_connection_t* c = connection.get();
        const auto pointer = x11::take(xcb_query_pointer_reply(c, xcb_query_pointer(c, connection.root()), nullptr));
        return pointer ? pointer->mask : 0;
    }

    void send(uint8_t type, const QList<xcb_keycode_t>& keycodes) {
        if (keycodes.isEmpty()) throw std::runtime_error("the keyboard has no such key");
        xcb_test_fake_input(connection.get(), type, keycodes.first(), XCB_CURRENT_TIME, connection.root(), 0, 0, 0);
        xcb_flush(connection.get());
    }
};

SyntheticKeyboard::SyntheticKeyboard() : d_(std::make_unique<Private>()) {
    if (!d_->connection.has(&xcb_test_id)) throw std::runtime_error("the X server has no XTEST");
}

SyntheticKeyboard::~SyntheticKeyboard() = default;

void SyntheticKeyboard::press(Key key) { d_->send(XCB_KEY_PRESS, d_->keys.keycodes(keysymOf(key))); }
void SyntheticKeyboard::release(Key key) { d_->send(XCB_KEY_RELEASE, d_->keys.keycodes(keysymOf(key))); }
void SyntheticKeyboard::press(QChar key) { d_->send(XCB_KEY_PRESS, d_->keys.keycodes(key)); }
void SyntheticKeyboard::release(QChar key) { d_->send(XCB_KEY_RELEASE, d_->keys.keycodes(key)); }

void SyntheticKeyboard::chord(Qt::KeyboardModifiers modifiers, QChar key) {
    if (modifiers & Qt::ControlModifier) press(Key::control);
    if (modifiers & Qt::ShiftModifier) press(Key::shift);
    press(key);
    release(key);
    if (modifiers & Qt::ShiftModifier) release(Key::shift);
    if (modifiers & Qt::ControlModifier) release(Key::control);
    sync();
}

void SyntheticKeyboard::toggle(Key lock) {
    press(lock);
    release(lock);
    sync();
}

void SyntheticKeyboard::sync() {
    xcb_connection_t* c = d_->connection.get();
    x11::take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool SyntheticKeyboard::numLockOn() {
    const uint16_t numLock = d_->keys.lockMask() & ~XCB_MOD_MASK_LOCK;
    return numLock != 0 && (d_->modifierState() & numLock);
}

bool SyntheticKeyboard::capsLockOn() { return d_->modifierState() & XCB_MOD_MASK_LOCK; }

}  // namespace tavero
