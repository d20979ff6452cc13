#include "platform/desktop/X11Extensions.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/randr.h>
#include <xcb/xfixes.h>

namespace tavero::x11 {

namespace {

uint8_t firstEvent(Connection& connection, xcb_extension_t* extension) {
    return xcb_get_extension_data(connection.get(), extension)->first_event;
}

bool atLeast(uint32_t major, uint32_t minor, uint32_t wantedMajor, uint32_t wantedMinor) {
    return major > wantedMajor || (major == wantedMajor && minor >= wantedMinor);
}

}  // namespace

std::optional<uint8_t> startDamage(Connection& connection) {
    if (!connection.has(&xcb_damage_id)) return std::nullopt;
    xcb_connection_t* c = connection.get();
    auto version = take(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    if (!version || !atLeast(version->major_version, version->minor_version, 1, 1)) return std::nullopt;
    return firstEvent(connection, &xcb_damage_id);
}

bool startComposite(Connection& connection) {
    if (!connection.has(&xcb_composite_id)) return false;
    xcb_connection_t* c = connection.get();
    auto version = take(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
    return version && atLeast(version->major_version, version->minor_version, 0, 2);
}

std::optional<uint8_t> startRandr(Connection& connection) {
    if (!connection.has(&xcb_randr_id)) return std::nullopt;
    xcb_connection_t* c = connection.get();
    auto version = take(xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
    if (!version || !atLeast(version->major_version, version->minor_version, 1, 5)) return std::nullopt;
    return firstEvent(connection, &xcb_randr_id);
}

std::optional<uint8_t> startXFixes(Connection& connection) {
    if (!connection.has(&xcb_xfixes_id)) return std::nullopt;
    xcb_connection_t* c = connection.get();
    auto version = take(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
    if (!version || version->major_version < 2) return std::nullopt;
    return firstEvent(connection, &xcb_xfixes_id);
}

bool compositingManagerRuns(Connection& connection) {
    xcb_connection_t* c = connection.get();
    const xcb_atom_t selection = connection.atom("_NET_WM_CM_S0");
    auto owner = take(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

}  // namespace tavero::x11
