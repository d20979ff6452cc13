#include "platform/MediaBackend.h"

#include "platform/X11Connection.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cstring>
#include <stdexcept>

namespace tavero {

namespace {

// Whether the X server lets OpenGL draw on the graphics card (DRI3 or DRI2).
bool rendersDirectly() {
    try {
        x11::Connection connection;
        for (const char* name : {"DRI3", "DRI2"}) {
            const xcb_query_extension_cookie_t asked =
                xcb_query_extension(connection.get(), uint16_t(std::strlen(name)), name);
            const auto reply = x11::take(xcb_query_extension_reply(connection.get(), asked, nullptr));
            if (reply && reply->present) return true;
        }
    } catch (const std::runtime_error&) {
    }
    return false;
}

}  // namespace

void chooseMediaBackend() {
    qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    if (!rendersDirectly()) QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
}

}  // namespace tavero
