#pragma once

#include "platform/desktop/X11Connection.h"
#include "platform/desktop/X11Windows.h"

#include <QHash>
#include <QList>
#include <QRegion>

#include <chrono>
#include <functional>
#include <optional>

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

// Redirecting a window that has no pixels of its own gives it a pixmap
// copied from the screen, whatever covered the window included, and exposes
// what was covered: the window draws that on the Expose, in its own time (a
// busy or hung program, never). A window another client (a second feed of
// ours, a preview, a compositing manager) keeps redirected has pixels of its
// own already, and nothing of it is exposed.
//
// Redirects windows, waits for them to draw what was exposed, and tells
// what they have not drawn since in the pixmaps this redirection made:
// pictures show it black, never what covered the window. DAMAGE records
// (RAW rectangles) on the windows tell. A new record first reports what its
// window shows at once: what is not covered, or the whole window while
// another client keeps it redirected. The records are made and their first
// reports read under a server grab that lasts until the redirection, so that
// no other client ends or begins a redirection in between: a window whose
// first report leaves out what was covered got its pixmap from this
// redirection.
class RepaintWait {
public:
    RepaintWait(Connection& connection, std::optional<uint8_t> damageEvent)
        : connection_(connection), damageEvent_(damageEvent) {}

    // Under one server grab: `watch` makes the records on the windows about
    // to be redirected and returns them, their first reports are read, then
    // `redirectWindows` redirects them. The connection's other events go to
    // `others`.
    void redirect(const std::function<QList<uint32_t>()>& watch, const std::function<void()>& redirectWindows,
                  const EventSink& others);
    // Waits, at most repaintLimit, for the windows to draw what the last
    // redirect() exposed of them (`exposed`, by record, in each window's
    // pixels); not while a compositing manager runs. The first reports do
    // not count as drawing: another client's redirection may have begun just
    // before, its windows not drawn yet; a pixmap of its is read as it is
    // once the wait ends.
    void settle(QHash<uint32_t, QRegion> exposed, const EventSink& others);

    // Takes what `record` reports drawn, in its window's pixels.
    void drawn(uint32_t record, const QRect& area);
    // What the window of `record` has not drawn since its redirection, in
    // its pixels: its pixmap holds what covered it there.
    QRegion undrawn(uint32_t record) const { return undrawn_.value(record); }
    // Forgets `record`, about to be destroyed.
    void forget(uint32_t record);

private:
    void readFirstReports(const QList<uint32_t>& records, const EventSink& others);

    Connection& connection_;
    const std::optional<uint8_t> damageEvent_;
    // What the records of the last redirect() first reported, until settle().
    QHash<uint32_t, QRegion> firstReports_;
    QHash<uint32_t, QRegion> undrawn_;
};

}  // namespace tavero::x11
