#include "platform/desktop/X11RepaintWait.h"

#include "platform/Scheduler.h"
#include "platform/desktop/X11Extensions.h"

#include <xcb/damage.h>

#include <utility>

namespace tavero::x11 {

namespace {

QRect areaOf(const xcb_damage_notify_event_t& notify) {
    return QRect(notify.area.x, notify.area.y, notify.area.width, notify.area.height);
}

// Waits until the records in `awaited` have reported drawing over the region
// awaited of each (in its drawable's coordinates), or until `deadline`; what
// was still awaited then, by record.
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
        *found -= areaOf(notify);
        if (found->isEmpty()) awaited.erase(found);
    }
    return awaited;
}

}  // namespace

QRegion coveredFromAbove(const QList<TopLevel>& stack, qsizetype index) {
    QRegion above;
    for (qsizetype higher = index + 1; higher < stack.size(); ++higher) above += stack[higher].shape;
    return above;
}

void RepaintWait::redirect(const std::function<QList<uint32_t>()>& watch, const std::function<void()>& redirectWindows,
                           const EventSink& others) {
    const ServerGrab still(connection_.get());
    readFirstReports(watch(), others);
    redirectWindows();
}

// The server serves no other client meanwhile, so every report of the new
// records is a first one.
void RepaintWait::readFirstReports(const QList<uint32_t>& records, const EventSink& others) {
    xcb_connection_t* c = connection_.get();
    firstReports_.clear();
    take(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (Reply<xcb_generic_event_t> event = take(xcb_poll_for_event(c))) {
        const auto& notify = reinterpret_cast<const xcb_damage_notify_event_t&>(*event);
        const bool first = damageEvent_ && (event->response_type & 0x7f) == *damageEvent_ + XCB_DAMAGE_NOTIFY &&
                           records.contains(notify.damage);
        if (first) firstReports_[notify.damage] += areaOf(notify);
        else others(*event);
    }
}

void RepaintWait::settle(QHash<uint32_t, QRegion> exposed, const EventSink& others) {
    const QHash<uint32_t, QRegion> firstReports = std::exchange(firstReports_, {});
    if (!damageEvent_ || compositingManagerRuns(connection_)) return;
    const QHash<uint32_t, QRegion> left = awaitRepaints(connection_, *damageEvent_, std::move(exposed),
                                                        std::chrono::steady_clock::now() + repaintLimit, others);
    for (auto record = left.cbegin(); record != left.cend(); ++record)
        if (const QRegion undrawn = record->subtracted(firstReports.value(record.key())); !undrawn.isEmpty())
            undrawn_.insert(record.key(), undrawn);
}

void RepaintWait::drawn(uint32_t record, const QRect& area) {
    const auto found = undrawn_.find(record);
    if (found == undrawn_.end()) return;
    *found -= area;
    if (found->isEmpty()) undrawn_.erase(found);
}

void RepaintWait::forget(uint32_t record) {
    firstReports_.remove(record);
    undrawn_.remove(record);
}

}  // namespace tavero::x11
