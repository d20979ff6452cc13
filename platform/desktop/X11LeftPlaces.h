#pragma once

#include "platform/Scheduler.h"
#include "platform/desktop/X11Connection.h"

#include <QHash>
#include <QList>
#include <QRegion>

#include <chrono>

namespace tavero::x11 {

// How long a compositing manager may go on showing one of our windows at a
// place it left: it paints in its own time, on a busy machine a few of the
// window's moves late, and may paint once more from what it knew before the
// last of them.
constexpr auto leftPlaceLimit = std::chrono::milliseconds(500);

// Where our windows lay lately, which a picture may still show them at
// although the server no longer knows of them there. Every place a window
// leaves (its top level moved, resized, unmapped or destroyed, as
// StructureNotify tells, each place it held between two pictures) stays
// until the root's DAMAGE has reported drawing over it since, and at least
// leftPlaceLimit: the news and the drawing come in order on one connection.
//
// Uses the caller's connection on the caller's thread; the caller reads the
// connection's events and offers each to takeEvent().
class LeftPlaces {
public:
    explicit LeftPlaces(Connection& connection) : connection_(connection) {}

    // Our top levels as a picture finds them: where each stands (its outer
    // rectangle, root pixels) and what of it is ours (its clients' shapes).
    struct Shown {
        QRect outer;
        QRegion place;
    };
    void follow(const QHash<xcb_window_t, Shown>& shown);

    // Whether `event` tells that one of our top levels moved or left.
    bool takeEvent(const xcb_generic_event_t& event);
    // The root's DAMAGE reported drawing at `drawn` (root pixels).
    void drawn(const QRect& drawn);
    // The places left that a picture of `area` grabbed now may still show
    // our windows at; the others are forgotten.
    QRegion within(const QRect& area, MonotonicTime now);
    void clear() { left_.clear(); }

private:
    struct Left {
        QRegion place;
        QRegion undrawn;
        MonotonicTime at;
    };

    void moved(xcb_window_t topLevel, const QRect& outer);
    void leave(const QRegion& place);

    Connection& connection_;
    QHash<xcb_window_t, Shown> followed_;
    QList<Left> left_;
};

}  // namespace tavero::x11
