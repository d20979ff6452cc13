#include "platform/desktop/WorkspaceWindows.h"

#include "platform/desktop/X11Connection.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QSet>
#include <QWindow>

#include <cstring>

namespace tavero {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    auto reply = x11::take(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Qt's own connection, so requests on it reach the server before Qt maps
// the window. The offscreen platform answers as X11 too, without one.
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// A frame may be gone already (the window manager let the window go): the
// error is dropped, not reported on Qt's connection.
void markNoShadow(xcb_connection_t* c, xcb_atom_t shadow, xcb_window_t window) {
    const uint32_t none = 0;
    const xcb_void_cookie_t marked =
        xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, window, shadow, XCB_ATOM_CARDINAL, 32, 1, &none);
    xcb_discard_reply(c, marked.sequence);
    xcb_flush(c);
}

bool isRoot(xcb_connection_t* c, xcb_window_t window) {
    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(c)); screens.rem; xcb_screen_next(&screens))
        if (screens.data->root == window) return true;
    return false;
}

bool floatsAboveOthers(const QWindow& window) {
    switch (window.type()) {
    case Qt::Tool:
    case Qt::ToolTip:
    case Qt::Popup:
    case Qt::SplashScreen: return true;
    default: return window.flags().testFlag(Qt::WindowStaysOnTopHint);
    }
}

// Each floating window is marked as it is shown: Qt sends the show event
// after making the native window and before mapping it. A tooltip's is made
// anew as it is mapped (Qt keeps tooltips on top, which takes a window of
// another kind), and marked once exposed, a moment late. Compositing
// managers read the mark on the top level, which for a managed window is
// the frame its window manager puts it in, made anew at each map: each
// frame a marked window enters is marked once Qt's connection reports the
// reparenting. A manager that drew the frame before drops its shadow when
// the mark arrives.
class FloatingWindowShadows final : public QObject, public QAbstractNativeEventFilter {
public:
    FloatingWindowShadows(xcb_connection_t* c, xcb_atom_t shadow) : c_(c), shadow_(shadow) {}

    bool eventFilter(QObject* object, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type != QEvent::Show && type != QEvent::Expose) || !object->isWindowType()) return false;
        const auto* window = static_cast<const QWindow*>(object);
        if (!window->isTopLevel() || !floatsAboveOthers(*window)) return false;
        const auto id = xcb_window_t(window->winId());
        if (windows_.contains(id)) return false;
        windows_.insert(id);
        markNoShadow(c_, shadow_, id);
        return false;
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t kind = event->response_type & 0x7f;
        if (kind == XCB_REPARENT_NOTIFY) {
            const auto* reparent = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
            if (windows_.contains(reparent->window) && !isRoot(c_, reparent->parent))
                markNoShadow(c_, shadow_, reparent->parent);
        } else if (kind == XCB_DESTROY_NOTIFY) {
            windows_.remove(reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window);
        }
        return false;
    }

private:
    xcb_connection_t* c_;
    xcb_atom_t shadow_;
    QSet<xcb_window_t> windows_;
};

}  // namespace

void showOnEveryWorkspace(QWindow& window) {
    xcb_connection_t* c = qtConnection();
    if (!c) return;
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t desktop = internAtom(c, "_NET_WM_DESKTOP");
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t sticky = internAtom(c, "_NET_WM_STATE_STICKY");
    if (desktop == XCB_ATOM_NONE || state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE) return;
    // 0xFFFFFFFF is "all desktops" in the window manager hints.
    const uint32_t allDesktops = 0xFFFFFFFFu;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &sticky);
    xcb_flush(c);
}

void castNoShadowFromFloatingWindows() {
    xcb_connection_t* c = qtConnection();
    if (!c) return;
    const xcb_atom_t shadow = internAtom(c, "_COMPTON_SHADOW");
    if (shadow == XCB_ATOM_NONE) return;
    // Installed once, for the application's life.
    [[maybe_unused]] static const bool installed = [&] {
        auto* shadows = new FloatingWindowShadows(c, shadow);
        shadows->setParent(qGuiApp);
        qGuiApp->installEventFilter(shadows);
        qGuiApp->installNativeEventFilter(shadows);
        return true;
    }();
}

}  // namespace tavero
