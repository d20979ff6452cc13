#include "platform/desktop/X11OwnWindowRemoval.h"

#include "platform/desktop/X11Extensions.h"

#include <QSet>

#include <algorithm>
#include <chrono>
#include <utility>

#include <xcb/composite.h>
#include <xcb/damage.h>

#include <vector>

namespace tavero::x11 {

OwnWindowRemoval::OwnWindowRemoval(Connection& connection, ImageGrabber& grabber)
    : connection_(connection),
      composite_(startComposite(connection)),
      damageEvent_(startDamage(connection)),
      repaints_(connection, damageEvent_),
      beneath_(connection, grabber) {}

OwnWindowRemoval::~OwnWindowRemoval() { release(); }

QImage OwnWindowRemoval::grab(const QRect& area, const QList<xcb_window_t>& windows,
                              const std::function<QImage()>& grabScreen, ShownPicture last, const EventSink& others) {
    if (!composite_ || (windows.isEmpty() && leftWithin(area).isEmpty())) {
        release();
        last = {};
        return grabScreen();
    }
    // Our windows' places are read and what they come to cover is taken
    // from the last picture under a server grab that lasts until the screen
    // is grabbed: none moves in between, which would leave its pixels in
    // the picture, or among what the next ones show beneath it. The last
    // picture's memory takes the grab.
    QList<TopLevel> stack;
    QList<xcb_window_t> ours;
    QRegion covered;
    QImage image;
    {
        const ServerGrab still(connection_.get());
        const QList<TopLevel> clients = placesOf(windows, area);
        // Its answer came after every event sent before the grab: a move of
        // ours among them leaves a place the screen may still show it at.
        while (Reply<xcb_generic_event_t> event = take(xcb_poll_for_queued_event(connection_.get()))) others(*event);
        for (const TopLevel& client : clients) covered += client.shape & area;
        covered += leftWithin(area);
        if (!covered.isEmpty()) {
            stack = topLevelStack(connection_);
            ours = followOurs(clients, stack);
            beneath_.cover(covered, last, windowsAmong(stack, ours));
        }
        last = {};
        image = grabScreen();
    }
    if (covered.isEmpty()) release();
    else if (!image.isNull()) paintOver(image, area, stack, ours, others);
    return image;
}

// Without a compositing manager the server shows every move at once (it
// paints redirected windows before it answers GetImage).
QRegion OwnWindowRemoval::leftWithin(const QRect& area) {
    const QRegion left = left_.within(area, std::chrono::steady_clock::now());
    return managerPaints_ ? left : QRegion();
}

// Our clients' top levels (a window manager's frame, or the client itself),
// followed so that the places they leave stay covered a while.
QList<xcb_window_t> OwnWindowRemoval::followOurs(const QList<TopLevel>& clients, const QList<TopLevel>& stack) {
    QHash<xcb_window_t, LeftPlaces::Shown> shown;
    for (const TopLevel& client : clients) {
        const xcb_window_t id = topLevelOf(client.id, stack);
        const auto topLevel =
            std::find_if(stack.begin(), stack.end(), [&](const TopLevel& window) { return window.id == id; });
        if (topLevel == stack.end()) continue;
        LeftPlaces::Shown& place = shown[id];
        place.outer = topLevel->outer;
        place.place += client.shape;
    }
    left_.follow(shown);
    return shown.keys();
}

// The top level holding `client`, asked of the server only when the one it
// had is no longer among `stack` (a window manager frames a window anew
// each time it is mapped).
xcb_window_t OwnWindowRemoval::topLevelOf(xcb_window_t client, const QList<TopLevel>& stack) {
    const auto stacked = [&](xcb_window_t window) {
        return std::any_of(stack.begin(), stack.end(), [&](const TopLevel& topLevel) { return topLevel.id == window; });
    };
    if (const xcb_window_t known = topLevels_.value(client); known && stacked(known)) return known;
    const xcb_window_t topLevel = x11::topLevelOf(connection_, client).value_or(XCB_WINDOW_NONE);
    topLevels_.insert(client, topLevel);
    return topLevel;
}

// Where other windows than ours lay in the last picture and lie now: the
// pictures did not show the desktop there.
QRegion OwnWindowRemoval::windowsAmong(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours) {
    QRegion windows;
    for (const TopLevel& window : stack)
        if (!ours.contains(window.id)) windows += window.shape;
    return std::exchange(windowsBefore_, windows) + windows;
}

void OwnWindowRemoval::paintOver(QImage& image, const QRect& area, const QList<TopLevel>& stack,
                                 const QList<xcb_window_t>& ours, const EventSink& others) {
    if (redirected_) {
        watchBeneath(stack, ours);
    } else {
        managerPaints_ = compositingManagerRuns(connection_);
        // The records exist before the redirection, so that no repaint it
        // brings about goes unseen.
        repaints_.redirect(
            [&] {
                watchBeneath(stack, ours);
                return watched_.keys();
            },
            [this] { redirect(); }, others);
        settle(stack, ours, others);
        beneath_.invalidateAll();
    }
    beneath_.refresh(shownBeneath(stack, ours), managerPaints_, undrawn());
    beneath_.paint(image, area.topLeft());
}

// The other top levels over what ours cover, bottom to top, each by what of
// it the screen shows. Under a compositing manager a window manager's frame
// shows what its frame extents say: the frame window may be wider, by
// borders for resizing that the window manager composites and leaves
// unpainted (marco's); openbox's frames are their extents. Each frame is
// measured once per size.
QList<TopLevel> OwnWindowRemoval::shownBeneath(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours) {
    QList<TopLevel> windows;
    QHash<xcb_window_t, Frame> frames;
    for (TopLevel window : stack) {
        if (ours.contains(window.id) || !covered().intersects(window.shape)) continue;
        if (managerPaints_) {
            Frame frame = frames_.value(window.id);
            if (frame.size != window.outer.size()) {
                const std::optional<QRect> visible = visibleFrame(connection_, window.id);
                frame = {window.outer.size(), visible ? visible->translated(-window.outer.topLeft()) : QRect()};
            }
            if (!frame.visible.isEmpty()) window.shape &= frame.visible.translated(window.outer.topLeft());
            frames.insert(window.id, frame);
        }
        windows.append(window);
    }
    frames_ = std::move(frames);
    return windows;
}

// The clients' own places and shapes, in one round trip: a window manager's
// frame around one is not ours to take out.
QList<TopLevel> OwnWindowRemoval::placesOf(const QList<xcb_window_t>& windows, const QRect& area) {
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
    const ShapesAsked shapesAsked = askBoundingShapes(connection_, windows);
    QList<TopLevel> places;
    QList<bool> shown;
    for (qsizetype index = 0; index < windows.size(); ++index) {
        auto attributes = take(xcb_get_window_attributes_reply(c, asked[size_t(index)].attributes, nullptr));
        auto geometry = take(xcb_get_geometry_reply(c, asked[size_t(index)].geometry, nullptr));
        auto origin = take(xcb_translate_coordinates_reply(c, asked[size_t(index)].origin, nullptr));
        const bool viewable = attributes && geometry && origin && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        const QPoint inside = origin ? QPoint(origin->dst_x, origin->dst_y) : QPoint();
        const QRect rect = geometry ? QRect(inside, QSize(geometry->width, geometry->height)) : QRect();
        places.append({windows[index], rect, inside, uint8_t(geometry ? geometry->depth : 0), QRegion()});
        shown.append(viewable && rect.intersects(area));
    }
    const QList<QRegion> shapes = readBoundingShapes(connection_, shapesAsked, places);
    QList<TopLevel> clients;
    for (qsizetype index = 0; index < places.size(); ++index) {
        if (!shown[index]) continue;
        places[index].shape = shapes[index];
        clients.append(places[index]);
    }
    return clients;
}

void OwnWindowRemoval::redirect() {
    xcb_composite_redirect_subwindows(connection_.get(), connection_.root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    redirected_ = true;
}

void OwnWindowRemoval::release() {
    xcb_connection_t* c = connection_.get();
    for (auto record = watched_.keyBegin(); record != watched_.keyEnd(); ++record) {
        repaints_.forget(*record);
        xcb_damage_destroy(c, *record);
    }
    watched_.clear();
    frames_.clear();
    beneath_.clear();
    left_.clear();
    windowsBefore_ = QRegion();
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
        watched_.insert(record, {window.id, window.origin});
    }
    for (auto record = watched_.begin(); record != watched_.end();) {
        if (beneath.contains(record->window)) {
            ++record;
            continue;
        }
        repaints_.forget(record.key());
        xcb_damage_destroy(c, record.key());
        record = watched_.erase(record);
    }
}

// Waits for the windows beneath to draw what ours hide of them.
void OwnWindowRemoval::settle(const QList<TopLevel>& stack, const QList<xcb_window_t>& ours, const EventSink& others) {
    QHash<uint32_t, QRegion> exposed;
    for (auto record = watched_.cbegin(); record != watched_.cend(); ++record) {
        for (qsizetype index = 0; index < stack.size(); ++index) {
            if (stack[index].id != record->window || ours.contains(stack[index].id)) continue;
            const QRegion hidden = covered() & stack[index].shape & coveredFromAbove(stack, index);
            if (!hidden.isEmpty()) exposed.insert(record.key(), hidden.translated(-record->origin));
        }
    }
    repaints_.settle(std::move(exposed), others);
}

QHash<xcb_window_t, QRegion> OwnWindowRemoval::undrawn() const {
    QHash<xcb_window_t, QRegion> regions;
    for (auto record = watched_.cbegin(); record != watched_.cend(); ++record)
        if (const QRegion undrawn = repaints_.undrawn(record.key()); !undrawn.isEmpty())
            regions.insert(record->window, undrawn.translated(record->origin));
    return regions;
}

bool OwnWindowRemoval::takeEvent(const xcb_generic_event_t& event, bool& coveredChanged) {
    if (left_.takeEvent(event)) return true;
    if (!damageEvent_ || (event.response_type & 0x7f) != *damageEvent_ + XCB_DAMAGE_NOTIFY) return false;
    const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(event);
    const auto record = watched_.constFind(notify.damage);
    if (record == watched_.cend()) return false;
    const QRect inWindow(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
    repaints_.drawn(notify.damage, inWindow);
    const QRect drawn = inWindow.translated(record->origin);
    coveredChanged = covered().intersects(drawn);
    beneath_.invalidate(drawn);
    return true;
}

}  // namespace tavero::x11
