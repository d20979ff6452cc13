#pragma once

#include "platform/desktop/X11Connection.h"

#include <QChar>
#include <QList>

#include <xcb/xcb.h>

#include <memory>

struct _XCBKeySymbols;

namespace tavero::x11 {

// The keyboard as the X server maps it: which keycodes carry a key, and
// which modifier bits Num Lock and Caps Lock set. Reads the server's tables
// at creation and on reload(). Used on one thread at a time.
class KeyMap {
public:
    // The modifier bits a hot key may combine: Shift, Ctrl and Alt (Mod1).
    static constexpr uint16_t chordMask = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

    explicit KeyMap(Connection& connection);
    ~KeyMap();

    // Rereads the tables after the server announced a new mapping; keeps
    // the old ones when they cannot be read.
    void reload();

    // The keycodes whose unshifted symbol is `key` (a Latin-1 letter or
    // digit, in either case); empty when the keyboard has no such key.
    QList<xcb_keycode_t> keycodes(QChar key) const;
    QList<xcb_keycode_t> keycodes(xcb_keysym_t keysym) const;
    // The bits of Num Lock and Caps Lock together.
    uint16_t lockMask() const { return numLock_ | XCB_MOD_MASK_LOCK; }
    // Every combination of the two locks, none included.
    QList<uint16_t> lockVariants() const;

    static uint16_t modifierMask(Qt::KeyboardModifiers modifiers);

private:
    uint16_t findNumLock() const;

    Connection& connection_;
    std::unique_ptr<_XCBKeySymbols, void (*)(_XCBKeySymbols*)> symbols_;
    uint16_t numLock_ = 0;
};

}  // namespace tavero::x11
