#include "platform/desktop/X11HiddenWindowFocus.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace tavero {

namespace {

bool isHiddenWindow(xcb_window_t id) {
    for (const QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && window->winId() == id) return !window->isVisible();
    return false;
}

class HiddenWindowFocusFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_FOCUS_IN) return false;
        return isHiddenWindow(static_cast<const xcb_focus_in_event_t*>(message)->event);
    }
};

}  // namespace

void keepKeyboardOffHiddenWindows() {
    static HiddenWindowFocusFilter filter;
    QCoreApplication::instance()->installNativeEventFilter(&filter);
}

}  // namespace tavero
