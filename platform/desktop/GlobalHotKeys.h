#pragma once

#include <QChar>
#include <QtGlobal>

#include <functional>
#include <memory>

namespace tavero {

// Key combinations taken for this program system-wide, whichever program is
// in front. Each is a letter or digit with modifiers, known by an identifier
// of the caller's choice; every press of a taken combination calls `pressed`
// once with its identifier, however long the key is held. Destroying the
// object gives every combination back. Main thread.
class GlobalHotKeys {
public:
    using Pressed = std::function<void(quint32 identifier)>;

    virtual ~GlobalHotKeys() = default;

    // Takes `modifiers` + `key` (Ctrl, Shift and Alt; the key as printed on an
    // unshifted key cap) under `identifier`, whatever the state of Num Lock
    // and Caps Lock. False when the display refused it: another program
    // holds the combination, or the key is not on the keyboard.
    virtual bool grab(quint32 identifier, QChar key, Qt::KeyboardModifiers modifiers) = 0;
    virtual void setPressed(Pressed pressed) = 0;
};

// The X11 key grabs on $DISPLAY, or the fake ones when TAVERO_PLATFORM=fake.
// Null when no X display can be opened.
std::unique_ptr<GlobalHotKeys> makeGlobalHotKeys();

}  // namespace tavero
