#include "platform/desktop/X11WindowFocus.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace tavero {

namespace {

QWindow* windowOf(xcb_window_t id) {
    for (QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && window->winId() == id) return window;
    return nullptr;
}

// Whether `modal` is held by `window`: its parent or transient parent, or
// further up.
bool standsOver(const QWindow& modal, const QWindow& window) {
    for (const QWindow* at = &modal; at;) {
        const QWindow* up = at->parent() ? at->parent() : at->transientParent();
        if (up == &window) return true;
        at = up;
    }
    return false;
}

// The shown modal window over `window` that no other shown modal window
// stands over; null when none stands over it.
QWindow* topModalOver(const QWindow& window) {
    for (QWindow* modal : QGuiApplication::allWindows())
        if (modal->isVisible() && modal->isModal() && standsOver(*modal, window)) {
            QWindow* higher = topModalOver(*modal);
            return higher ? higher : modal;
        }
    return nullptr;
}

class KeyboardFocusFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_FOCUS_IN) return false;
        const auto* focusIn = static_cast<const xcb_focus_in_event_t*>(message);
        QWindow* window = windowOf(focusIn->event);
        if (!window) return false;
        if (!window->isVisible()) return true;
        // Qt itself ignores these: the pointer lies over the window, the
        // keyboard elsewhere.
        if (focusIn->detail == XCB_NOTIFY_DETAIL_POINTER) return false;
        QWindow* modal = topModalOver(*window);
        if (modal) modal->requestActivate();
        return modal != nullptr;
    }
};

}  // namespace

void keepKeyboardOffHiddenAndBlockedWindows() {
    static KeyboardFocusFilter filter;
    QCoreApplication::instance()->installNativeEventFilter(&filter);
}

}  // namespace tavero
