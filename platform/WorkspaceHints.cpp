#include "platform/WorkspaceHints.h"

#include "platform/X11Connection.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstring>

namespace tavero {

namespace {

xcb_atom_t intern(xcb_connection_t* connection, const char* name) {
    auto reply = x11::take(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

}  // namespace

void showOnAllWorkspaces(quintptr nativeWindow) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !nativeWindow) return;
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t state = intern(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = intern(connection, "_NET_WM_STATE_STICKY");
    if (state == XCB_ATOM_NONE || sticky == XCB_ATOM_NONE) return;
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(nativeWindow), state, XCB_ATOM_ATOM, 32, 1,
                        &sticky);
    xcb_flush(connection);
}

}  // namespace tavero
