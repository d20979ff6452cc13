#include "platform/X11OwnWindowRemoval.h"

#include "platform/X11Extensions.h"

#include <QSet>

#include <xcb/composite.h>
#include <xcb/damage.h>

#include <chrono>
#include <vector>

namespace tavero::x11 {

OwnWindowRemoval::OwnWindowRemoval(Connection& connection, ImageGrabber& grabber)
    : connection_(connection),
      composite_(startComposite(connection)),
      damageEvent_(startDamage(connection)),
      beneath_(connection, grabber) {}

OwnWindowRemoval::~OwnWindowRemoval() { release(); }

void OwnWindowRemoval::apply(QImage& image, const QRect& area, const QList<xcb_window_t>& windows,
                             const EventSink& others) {
    QList<xcb_window_t> ours;
    const QRegion covered = composite_ && !windows.isEmpty() ? coveredBy(windows, area, ours) : QRegion();
    if (covered.isEmpty()) {
        release();
        return;
    }
    beneath_.cover(covered);
    const QList<TopLevel> stack = topLevelStack(connection_);
    if (redirected_) {
        watchBeneath(stack, ours);
    } else {
        const QHash<uint32_t, QRegion> firstReports = startRedirection(stack, ours, others);
        settle(stack, ours, firstReports, others);
        beneath_.invalidateAll();
    }
    QList<TopLevel> windowsBeneath;
    for (const TopLevel& window : stack)
        if (!ours.contains(window.id) && covered.intersects(window.shape)) windowsBeneath.append(window);
    beneath_.refresh(windowsBeneath, undrawn());
    beneath_.paint(image, area.topLeft());
}

QRegion OwnWindowRemoval::coveredBy(const QList<xcb_window_t>& windows, const QRect& area,
                                    QList<xcb_window_t>& topLevels) {
    xcb_connection_t* c = connection_.get();
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Asked> asked;
    asked.reserve(size_t(windows.size()));
    for (xcb_window_t window : windows)
        asked.push_back({xcb_get_window_attributes(c, window), xcb_get_geometry(c, window),
                         xcb_translate_coordinates(c, window, connection_.root(), 0, 0)});
    // The clients' own rectangles: a window manager's frame around one is
    // not ours to take out.
    QList<TopLevel> clients;
    for (qsizetype index = 0; index < windows.size(); ++index) {
        auto attributes = take(xcb_get_window_attributes_reply(c, asked[size_t(index)].attributes, nullptr));
        auto geometry = take(xcb_get_geometry_reply(c, asked[size_t(index)].geometry, nullptr));
        auto origin = take(xcb_translate_coordinates_reply(c, asked[size_t(index)].origin, nullptr));
        if (!attributes || !geometry || !origin || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        const QPoint inside(origin->dst_x, origin->dst_y);
        const QRect rect(inside, QSize(geometry->width, geometry->height));
        if (rect.intersects(area)) clients.append({windows[index], rect, inside, geometry->depth, QRegion()});
    }
    QRegion covered;
    const QList<QRegion> shapes = boundingShapes(connection_, clients);
    for (qsizetype index = 0; index < clients.size(); ++index) {
        const QRegion inside = shapes[index] & area;
        if (inside.isEmpty()) continue;
        covered += inside;
        if (const std::optional<xcb_window_t> topLevel = topLevelOf(connection_, clients[index].id))
            topLevels.append(*topLevel);
    }
    return covered;
}

void OwnWindowRemoval::redirect() {
    xcb_composite_redirect_subwindows(connection_.get(), connection_.root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    redirected_ = true;
}

void OwnWindowRemoval::release() {
    xcb_connection_t* c = connection_.get();
    for (auto record = watched_.keyBegin(); record != watched_.keyEnd(); ++record) xcb_damage_destroy(c, *record);
    watched_.clear();
    beneath_.clear();
    if (!redirected_) return;
    xcb_composite_unredirect_subwindows(c, connection_.root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    redirected_ = false;
    xcb_flush(c);
}

// DAMAGE records on the windows beneath ours, which tell when they draw
// what ours cover (invisible on the screen, so the root's record misses it).
void OwnWindowRemoval::watchBeneath(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours) {
    if (!damageEvent_) return;
    xcb_connection_t* c = connection_.get();
    QHash<xcb_window_t, uint32_t> recordOf;
    for (auto record = watched_.cbegin(); record != watched_.cend(); ++record) recordOf.insert(record->window, record.key());
    QSet<xcb_window_t> beneath;
    for (const TopLevel& window : stack) {
        if (ours.contains(window.id) || !covered().intersects(window.shape)) continue;
        beneath.insert(window.id);
        if (const uint32_t record = recordOf.value(window.id)) {
            watched_[record].origin = window.origin;
            continue;
        }
        const uint32_t record = xcb_generate_id(c);
        xcb_damage_create(c, record, window.id, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        watched_.insert(record, {window.id, window.origin, QRegion()});
    }
    for (auto record = watched_.begin(); record != watched_.end();) {
        if (beneath.contains(record->window)) {
            ++record;
            continue;
        }
        xcb_damage_destroy(c, record.key());
        record = watched_.erase(record);
    }
}

// The records exist before the redirection, so that no repaint it brings
// about goes unseen. A new record first reports what its window shows at
// that moment: what is not covered, or the whole window while another client
// (another feed, a preview) keeps the windows redirected. Those reports are
// read before redirecting, the server serving no other client meanwhile, so
// they tell which pixmaps the redirection starting now makes: a copy of what
// the screen shows, ours included, where the window is covered.
QHash<uint32_t, QRegion> OwnWindowRemoval::startRedirection(const QList<TopLevel>& stack,
                                                            const QList<xcb_window_t>& ours, const EventSink& others) {
    xcb_connection_t* c = connection_.get();
    xcb_grab_server(c);
    watchBeneath(stack, ours);
    const QHash<uint32_t, QRegion> firstReports = readFirstReports(others);
    redirect();
    xcb_ungrab_server(c);
    xcb_flush(c);
    return firstReports;
}

QHash<uint32_t, QRegion> OwnWindowRemoval::readFirstReports(const EventSink& others) {
    xcb_connection_t* c = connection_.get();
    QHash<uint32_t, QRegion> reports;
    take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c))) {
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(*event);
        const bool first = damageEvent_ && (event->response_type & 0x7f) == *damageEvent_ + XCB_DAMAGE_NOTIFY &&
                           watched_.contains(notify.damage);
        if (first) reports[notify.damage] += QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
        else others(*event);
    }
    return reports;
}

// Waits for the windows beneath to draw what ours hide of them. A first
// report says nothing of that: another client's redirection may have begun
// just before, its windows not drawn yet. What a window has not drawn by the
// deadline (a busy or hung program) is undrawn until it does, where the
// redirection made its pixmap; a pixmap another client's redirection made is
// read as it is.
void OwnWindowRemoval::settle(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours,
                              const QHash<uint32_t, QRegion>& firstReports, const EventSink& others) {
    if (!damageEvent_ || compositingManagerRuns(connection_)) return;
    QHash<uint32_t, QRegion> awaited;
    for (auto record = watched_.cbegin(); record != watched_.cend(); ++record) {
        for (qsizetype index = 0; index < stack.size(); ++index) {
            if (stack[index].id != record->window || ours.contains(stack[index].id)) continue;
            const QRegion hidden = covered() & stack[index].shape & coveredFromAbove(stack, index);
            if (!hidden.isEmpty()) awaited.insert(record.key(), hidden.translated(-record->origin));
        }
    }
    const QHash<uint32_t, QRegion> undrawn = awaitRepaints(
        connection_, *damageEvent_, std::move(awaited), std::chrono::steady_clock::now() + repaintLimit, others);
    for (auto record = undrawn.cbegin(); record != undrawn.cend(); ++record)
        if (const auto watched = watched_.find(record.key()); watched != watched_.end())
            watched->undrawn = record->subtracted(firstReports.value(record.key()));
}

QHash<xcb_window_t, QRegion> OwnWindowRemoval::undrawn() const {
    QHash<xcb_window_t, QRegion> regions;
    for (const Watched& record : watched_)
        if (!record.undrawn.isEmpty()) regions.insert(record.window, record.undrawn.translated(record.origin));
    return regions;
}

bool OwnWindowRemoval::takeEvent(const xcb_generic_event_t& event, bool& coveredChanged) {
    if (!damageEvent_ || (event.response_type & 0x7f) != *damageEvent_ + XCB_DAMAGE_NOTIFY) return false;
    const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
    const auto record = watched_.find(notify.damage);
    if (record == watched_.end()) return false;
    const QRect inWindow(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
    record->undrawn -= inWindow;
    const QRect drawn = inWindow.translated(record->origin);
    coveredChanged = covered().intersects(drawn);
    beneath_.invalidate(drawn);
    return true;
}

}  // namespace tavero::x11
