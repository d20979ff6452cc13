#include "platform/X11RepaintWait.h"

#include <xcb/damage.h>

namespace tavero::x11 {

QRegion coveredFromAbove(const QList<TopLevel>& stack, qsizetype index) {
    QRegion above;
    for (qsizetype higher = index + 1; higher < stack.size(); ++higher) above += stack[higher].shape;
    return above;
}

QHash<uint32_t, QRegion> awaitRepaints(Connection& connection, uint8_t damageEvent, QHash<uint32_t, QRegion> awaited,
                                       MonotonicTime deadline, const EventSink& others) {
    xcb_connection_t* c = connection.get();
    xcb_flush(c);
    while (!awaited.isEmpty() && !xcb_connection_has_error(c)) {
        Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c));
        if (!event) {
            if (connection.wait(deadline) != Connection::Woken::server) break;
            continue;
        }
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(*event);
        const auto found = (event->response_type & 0x7f) == damageEvent + XCB_DAMAGE_NOTIFY
                               ? awaited.find(notify.damage)
                               : awaited.end();
        if (found == awaited.end()) {
            others(*event);
            continue;
        }
        *found -= QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
        if (found->isEmpty()) awaited.erase(found);
    }
    return awaited;
}

}  // namespace tavero::x11
