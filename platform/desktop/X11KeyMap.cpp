#include "platform/desktop/X11KeyMap.h"

#include <xcb/xcb_keysyms.h>

#include <stdexcept>

namespace tavero::x11 {

namespace {

// The keysym of Num Lock in the X protocol's tables.
constexpr xcb_keysym_t numLockSymbol = 0xff7f;

}  // namespace

KeyMap::KeyMap(Connection& connection)
    : connection_(connection), symbols_(xcb_key_symbols_alloc(connection.get()), xcb_key_symbols_free) {
    if (!symbols_) throw std::runtime_error("cannot read the keyboard mapping");
    numLock_ = findNumLock();
}

KeyMap::~KeyMap() = default;

void KeyMap::reload() {
    // A failed read keeps the tables we have.
    if (xcb_key_symbols_t* fresh = xcb_key_symbols_alloc(connection_.get())) symbols_.reset(fresh);
    numLock_ = findNumLock();
}

QList<xcb_keycode_t> KeyMap::keycodes(xcb_keysym_t keysym) const {
    QList<xcb_keycode_t> found;
    Reply<xcb_keycode_t> codes = take(xcb_key_symbols_get_keycode(symbols_.get(), keysym));
    for (const xcb_keycode_t* code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code)
        if (!found.contains(*code)) found.append(*code);
    return found;
}

QList<xcb_keycode_t> KeyMap::keycodes(QChar key) const {
    const QChar lower = key.toLower();
    // Latin-1 keysyms are the characters' own codes.
    if (lower.unicode() < 0x20 || lower.unicode() > 0xff) return {};
    return keycodes(xcb_keysym_t(lower.unicode()));
}

QList<uint16_t> KeyMap::lockVariants() const {
    if (numLock_ == 0) return {0, XCB_MOD_MASK_LOCK};
    return {0, XCB_MOD_MASK_LOCK, numLock_, uint16_t(numLock_ | XCB_MOD_MASK_LOCK)};
}

uint16_t KeyMap::modifierMask(Qt::KeyboardModifiers modifiers) {
    uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier) mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier) mask |= XCB_MOD_MASK_1;
    return mask;
}

// The modifier whose keys include Num Lock; servers usually put it on Mod2.
uint16_t KeyMap::findNumLock() const {
    const QList<xcb_keycode_t> numLock = keycodes(numLockSymbol);
    xcb_connection_t* c = connection_.get();
    Reply<xcb_get_modifier_mapping_reply_t> mapping =
        take(xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping || numLock.isEmpty()) return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int index = 0; index < perModifier; ++index)
            if (numLock.contains(codes[modifier * perModifier + index])) return uint16_t(1u << modifier);
    return 0;
}

}  // namespace tavero::x11
