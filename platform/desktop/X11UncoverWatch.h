#pragma once

#include "platform/desktop/X11Connection.h"

#include <QHash>
#include <QList>
#include <QRegion>

#include <chrono>

namespace tavero::x11 {

// Watches this program's windows leave the screen and what they covered
// come back. Made before the windows are hidden, so that no unmap and no
// repaint happens unseen; wait() may then run on another thread. Reads
// events on a connection of its own (the grabs' connection drops events).
// Throws std::runtime_error when no display can be opened.
class UncoverWatch {
public:
    explicit UncoverWatch(const QList<xcb_window_t>& windows);
    ~UncoverWatch();
    UncoverWatch(const UncoverWatch&) = delete;
    UncoverWatch& operator=(const UncoverWatch&) = delete;

    // Blocks until every window's top level (the window manager's frame,
    // where there is one) is unmapped or destroyed, at most `leaving`, and
    // everything it showed has been drawn again, by the server or by the
    // windows beneath, at most `drawing` after the last has gone; then makes
    // one round trip. What other windows cover is not waited for.
    void wait(std::chrono::milliseconds leaving, std::chrono::milliseconds drawing);
    // What the windows that have gone showed and nothing has drawn again
    // since, in root pixels; none without DAMAGE, which alone tells.
    QRegion undrawn() const { return damage_ ? uncovered_ : QRegion(); }

private:
    bool done() const;
    void handle(const xcb_generic_event_t& event);

    Connection connection_;
    uint8_t damageEvent_ = 0;
    uint32_t damage_ = 0;
    // Top levels still mapped, with what each shows of itself.
    QHash<xcb_window_t, QRegion> mapped_;
    // What unmapped top levels showed and nobody has drawn again yet.
    QRegion uncovered_;
};

}  // namespace tavero::x11
