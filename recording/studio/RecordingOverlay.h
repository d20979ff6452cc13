#pragma once

#include <QRectF>

namespace tavero {

// The floating windows of a running take: the control bar, the border around
// the recorded area and the teleprompter panel. They live in the widget
// layer; the studio makes one overlay on first use and keeps it. Rectangles
// are global screen points, top-left origin. Main thread.
class RecordingOverlay {
public:
    virtual ~RecordingOverlay() = default;

    // Opens the control bar and the border around `bounds`.
    virtual void show(const QRectF& bounds) = 0;
    virtual void updateBorder(const QRectF& bounds) = 0;
    // Shows the studio's current phase (the paused look while pausing,
    // paused or resuming).
    virtual void updateRecordingState() = 0;
    // Shows the teleprompter panel, made the first time; it may take the
    // keyboard only while no take runs (a preview).
    virtual void showNotes() = 0;
    // Hides the panel and keeps it; nothing when it was never made.
    virtual void hideNotes() = 0;
    // Closes and drops every window.
    virtual void close() = 0;
};

}  // namespace tavero
