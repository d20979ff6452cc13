#include "platform/desktop/WorkspaceWindows.h"

#include "platform/desktop/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstring>

namespace tavero {

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    auto reply = x11::take(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

void showOnEveryWorkspace(QWindow& window) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // Qt's own connection, so these requests reach the server before Qt maps
    // the window. The offscreen platform answers as X11 too, without one.
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
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

}  // namespace tavero
