#include "platform/desktop/X11LeftPlaces.h"

#include <algorithm>

namespace tavero::x11 {

void LeftPlaces::follow(const QHash<xcb_window_t, Shown>& shown) {
    xcb_connection_t* c = connection_.get();
    for (auto window = shown.cbegin(); window != shown.cend(); ++window) {
        if (!followed_.contains(window.key())) {
            const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, window.key(), XCB_CW_EVENT_MASK, &events);
        }
        followed_.insert(window.key(), *window);
    }
    // One no longer shown over the area stays followed until it is gone:
    // its next move leaves a place the pictures may still show it at.
}

bool LeftPlaces::takeEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY: {
        const auto& notify = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
        if (!followed_.contains(notify.window)) return false;
        const int border = notify.border_width;
        moved(notify.window, QRect(notify.x, notify.y, notify.width + 2 * border, notify.height + 2 * border));
        return true;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& notify = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (!followed_.contains(notify.window)) return false;
        leave(followed_.take(notify.window).place);
        return true;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& notify = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        if (!followed_.contains(notify.window)) return false;
        leave(followed_.take(notify.window).place);
        return true;
    }
    default:
        return false;
    }
}

// The window's new shape shows at the next picture; until then it is taken
// to have moved with its top level, or, resized, to fill it.
void LeftPlaces::moved(xcb_window_t topLevel, const QRect& outer) {
    Shown& shown = followed_[topLevel];
    leave(shown.place);
    if (outer.size() == shown.outer.size()) shown.place.translate(outer.topLeft() - shown.outer.topLeft());
    else shown.place = QRegion(outer);
    shown.outer = outer;
}

void LeftPlaces::leave(const QRegion& place) {
    if (!place.isEmpty()) left_.append({place, place, std::chrono::steady_clock::now()});
}

void LeftPlaces::drawn(const QRect& drawn) {
    for (Left& left : left_) left.undrawn -= drawn;
}

QRegion LeftPlaces::within(const QRect& area, MonotonicTime now) {
    const auto over = [&](const Left& left) {
        return (left.undrawn.isEmpty() && now - left.at >= leftPlaceLimit) || !left.place.intersects(area);
    };
    left_.erase(std::remove_if(left_.begin(), left_.end(), over), left_.end());
    QRegion places;
    for (const Left& left : left_) places += left.place;
    return places & area;
}

}  // namespace tavero::x11
