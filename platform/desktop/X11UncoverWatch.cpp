#include "platform/desktop/X11UncoverWatch.h"

#include "platform/desktop/X11Extensions.h"
#include "platform/desktop/X11Windows.h"

#include <QSet>

#include <optional>

#include <xcb/damage.h>

namespace tavero::x11 {

namespace {

using Clock = std::chrono::steady_clock;

void selectStructureEvents(xcb_connection_t* c, xcb_window_t window, bool select) {
    const uint32_t mask = select ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

// What each of `ours` that is on the screen shows of itself, in root
// pixels: its shape less what the windows above it cover, which its leaving
// does not change and nothing will draw again. Under a compositing manager a
// window with an alpha channel may let ours show through, so it covers
// nothing here.
QHash<xcb_window_t, QRegion> shownParts(Connection& connection, const QSet<xcb_window_t>& ours) {
    const QRegion screen(0, 0, connection.screen()->width_in_pixels, connection.screen()->height_in_pixels);
    const bool seeThrough = compositingManagerRuns(connection);
    const QList<TopLevel> stack = topLevelStack(connection);
    QHash<xcb_window_t, QRegion> shown;
    QRegion above;
    for (auto window = stack.crbegin(); window != stack.crend(); ++window) {
        if (ours.contains(window->id)) shown.insert(window->id, screen.intersected(window->shape) - above);
        if (!seeThrough || window->depth != 32) above += window->shape;
    }
    return shown;
}

}  // namespace

UncoverWatch::UncoverWatch(const QList<xcb_window_t>& windows) {
    xcb_connection_t* c = connection_.get();
    if (const std::optional<uint8_t> damageEvents = startDamage(connection_)) {
        damageEvent_ = *damageEvents;
        damage_ = xcb_generate_id(c);
        xcb_damage_create(c, damage_, connection_.root(), XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    }
    QSet<xcb_window_t> topLevels;
    for (xcb_window_t window : windows)
        if (const std::optional<xcb_window_t> topLevel = topLevelOf(connection_, window)) topLevels.insert(*topLevel);
    // Selected before the stack is asked, whose answer shows the selection in
    // place before the window is hidden.
    for (xcb_window_t topLevel : topLevels) selectStructureEvents(c, topLevel, true);
    mapped_ = shownParts(connection_, topLevels);
}

UncoverWatch::~UncoverWatch() {
    xcb_connection_t* c = connection_.get();
    for (auto window = mapped_.keyBegin(); window != mapped_.keyEnd(); ++window) selectStructureEvents(c, *window, false);
    if (damage_) xcb_damage_destroy(c, damage_);
    xcb_flush(c);
}

bool UncoverWatch::done() const {
    // Without DAMAGE nothing tells when the area is drawn: the unmaps are all.
    return mapped_.isEmpty() && (uncovered_.isEmpty() || !damage_);
}

void UncoverWatch::handle(const xcb_generic_event_t& event) {
    const int type = event.response_type & ~0x80;
    std::optional<xcb_window_t> gone;
    if (type == XCB_UNMAP_NOTIFY) gone = reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window;
    if (type == XCB_DESTROY_NOTIFY) gone = reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window;
    if (gone && mapped_.contains(*gone)) {
        selectStructureEvents(connection_.get(), *gone, false);
        uncovered_ += mapped_.take(*gone);
    }
    if (damage_ && type == damageEvent_ + XCB_DAMAGE_NOTIFY) {
        // Drawing after an unmap, in the server's order of events.
        const xcb_rectangle_t area = reinterpret_cast<const xcb_damage_notify_event_t&>(event).area;
        uncovered_ -= QRect(area.x, area.y, area.width, area.height);
    }
}

void UncoverWatch::wait(std::chrono::milliseconds leaving, std::chrono::milliseconds drawing) {
    const Clock::time_point start = Clock::now();
    std::optional<Clock::time_point> gone;
    xcb_connection_t* c = connection_.get();
    xcb_flush(c);
    while (!done() && !xcb_connection_has_error(c)) {
        if (!gone && mapped_.isEmpty()) gone = Clock::now();
        Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c));
        if (event) handle(*event);
        else if (connection_.wait(gone ? *gone + drawing : start + leaving) != Connection::Woken::server) break;
    }
    // The round trip after the last event, and what came before its answer.
    take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c))) handle(*event);
}

}  // namespace tavero::x11
