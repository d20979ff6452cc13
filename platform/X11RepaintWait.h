#pragma once

#include "platform/Scheduler.h"
#include "platform/X11Connection.h"
#include "platform/X11Windows.h"

#include <QHash>
#include <QRegion>

#include <functional>

namespace tavero::x11 {

using EventSink = std::function<void(const xcb_generic_event_t&)>;

// How long a first picture waits for the windows it uncovers to draw: a
// program that answers takes milliseconds, but on a machine whose every core
// is busy it may wait its turn for a second or more; one that never answers
// (or one another client keeps redirected, which has nothing to draw) costs
// one pause of this length.
constexpr auto repaintLimit = std::chrono::milliseconds(2000);

// Where the windows above `stack[index]` lie, in root pixels: what of it a
// redirection exposes (unless a compositing manager had it redirected).
QRegion coveredFromAbove(const QList<TopLevel>& stack, qsizetype index);

// A redirected window draws what was covered on the Expose that follows, in
// its own time; until then its pixmap shows what covered it. Waits until the
// DAMAGE records (RAW rectangles) in `awaited` have reported drawing over
// the region awaited of each (in its drawable's coordinates), or until
// `deadline`. The connection's other events go to `others`. Returns what
// was still awaited at the deadline, by record.
QHash<uint32_t, QRegion> awaitRepaints(Connection& connection, uint8_t damageEvent, QHash<uint32_t, QRegion> awaited,
                                       MonotonicTime deadline, const EventSink& others);

}  // namespace tavero::x11
