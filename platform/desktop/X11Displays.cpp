#include "platform/desktop/X11Displays.h"

#include <xcb/randr.h>

#include <algorithm>

namespace tavero::x11 {

namespace {

QString atomName(Connection& connection, xcb_atom_t atom) {
    auto reply = take(xcb_get_atom_name_reply(connection.get(), xcb_get_atom_name(connection.get(), atom), nullptr));
    if (!reply) return {};
    return QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

bool hasMonitors(Connection& connection) {
    if (!connection.has(&xcb_randr_id)) return false;
    auto version = take(xcb_randr_query_version_reply(
        connection.get(), xcb_randr_query_version(connection.get(), 1, 5), nullptr));
    return version && (version->major_version > 1 || version->minor_version >= 5);
}

QList<DisplayInfo> randrMonitors(Connection& connection) {
    QList<DisplayInfo> displays;
    auto reply = take(xcb_randr_get_monitors_reply(
        connection.get(), xcb_randr_get_monitors(connection.get(), connection.root(), 1), nullptr));
    if (!reply) return displays;
    for (auto monitors = xcb_randr_get_monitors_monitors_iterator(reply.get()); monitors.rem;
         xcb_randr_monitor_info_next(&monitors)) {
        const xcb_randr_monitor_info_t* monitor = monitors.data;
        if (monitor->width == 0 || monitor->height == 0) continue;
        DisplayInfo display;
        display.name = atomName(connection, monitor->name);
        display.id = displayIdentifier(display.name);
        display.pixelFrame = QRect(monitor->x, monitor->y, monitor->width, monitor->height);
        display.primary = monitor->primary;
        displays.append(display);
    }
    return displays;
}

DisplayInfo wholeRoot(Connection& connection) {
    DisplayInfo display;
    display.name = QStringLiteral("screen");
    display.id = displayIdentifier(display.name);
    display.pixelFrame = QRect(0, 0, connection.screen()->width_in_pixels, connection.screen()->height_in_pixels);
    display.primary = true;
    return display;
}

}  // namespace

QList<DisplayInfo> listDisplays(Connection& connection) {
    connection.check();
    QList<DisplayInfo> displays;
    if (hasMonitors(connection)) displays = randrMonitors(connection);
    if (displays.isEmpty()) displays.append(wholeRoot(connection));
    // Without a primary output X treats the first monitor as the main one.
    if (std::none_of(displays.begin(), displays.end(), [](const DisplayInfo& display) { return display.primary; }))
        displays.first().primary = true;
    connection.check();
    return displays;
}

QRect rootArea(Connection& connection) {
    xcb_connection_t* c = connection.get();
    auto geometry = take(xcb_get_geometry_reply(c, xcb_get_geometry(c, connection.root()), nullptr));
    if (!geometry) return {};
    return {0, 0, geometry->width, geometry->height};
}

}  // namespace tavero::x11
