#include "platform/X11UnmapWait.h"

#include "platform/X11Windows.h"

#include <QSet>

#include <poll.h>

namespace tavero::x11 {

namespace {

using Clock = std::chrono::steady_clock;

void selectStructureEvents(xcb_connection_t* c, xcb_window_t window, bool select) {
    const uint32_t mask = select ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

bool isMapped(xcb_connection_t* c, xcb_window_t window) {
    auto attributes = take(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
}

// The window an UnmapNotify or DestroyNotify tells about; none for other events.
std::optional<xcb_window_t> windowGone(const xcb_generic_event_t& event) {
    switch (event.response_type & ~0x80) {
    case XCB_UNMAP_NOTIFY: return reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    case XCB_DESTROY_NOTIFY: return reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
    default: return std::nullopt;
    }
}

// Waits for the socket to bring something, at most until `deadline`.
bool readable(xcb_connection_t* c, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd socket{xcb_get_file_descriptor(c), POLLIN, 0};
    return poll(&socket, 1, int(left.count())) > 0;
}

}  // namespace

void waitUntilUnmapped(Connection& connection, const QList<xcb_window_t>& windows, std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    xcb_connection_t* c = connection.get();
    QSet<xcb_window_t> topLevels;
    for (xcb_window_t window : windows)
        if (const std::optional<xcb_window_t> topLevel = topLevelOf(connection, window)) topLevels.insert(*topLevel);
    for (xcb_window_t topLevel : topLevels) selectStructureEvents(c, topLevel, true);
    // Asked after selecting: a window unmapped in between is not waited for
    // in vain, and one unmapped later announces itself.
    QSet<xcb_window_t> pending;
    for (xcb_window_t topLevel : topLevels)
        if (isMapped(c, topLevel)) pending.insert(topLevel);
    while (!pending.isEmpty() && !xcb_connection_has_error(c)) {
        Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c));
        if (!event) {
            if (!readable(c, deadline)) break;
            continue;
        }
        if (const std::optional<xcb_window_t> gone = windowGone(*event)) pending.remove(*gone);
    }
    for (xcb_window_t topLevel : topLevels) selectStructureEvents(c, topLevel, false);
    // The round trip after the last unmap.
    take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    connection.discardEvents();
}

}  // namespace tavero::x11
