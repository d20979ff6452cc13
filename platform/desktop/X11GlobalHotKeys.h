#pragma once

#include "platform/desktop/GlobalHotKeys.h"

#include <memory>

namespace tavero {

// Global hot keys as passive key grabs on the root window of $DISPLAY, on an
// xcb connection of our own whose socket the main event loop watches (see
// docs/x11-hotkeys.md). Each combination is grabbed four times, with and
// without Num Lock and Caps Lock. Destroying the object releases the grabs
// and closes the connection. Main thread.
class X11GlobalHotKeys final : public GlobalHotKeys {
public:
    // Throws std::runtime_error when no X display can be opened.
    X11GlobalHotKeys();
    ~X11GlobalHotKeys() override;

    bool grab(quint32 identifier, QChar key, Qt::KeyboardModifiers modifiers) override;
    void setPressed(Pressed pressed) override;

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace tavero
