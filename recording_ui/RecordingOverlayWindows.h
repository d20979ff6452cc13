#pragma once

#include "recording/studio/RecordingOverlay.h"

#include <QPointer>

namespace tavero {

class FloatingPanel;
class RecordingBorderView;
class RecordingStudio;

// The three floating windows of a take: the control panel with the control
// bar at the bottom of the recorded area's screen, the click-through border
// around the area, and the teleprompter panel. Each floats above other
// windows on every workspace, never takes the keyboard from the recorded
// program (the teleprompter may, while it is previewed before a take), and
// is kept out of the recording while shown. Everything shown is read from
// the studio, held weakly. Main thread.
class RecordingOverlayWindows final : public RecordingOverlay {
public:
    explicit RecordingOverlayWindows(RecordingStudio& studio);
    ~RecordingOverlayWindows() override;

    void show(const QRectF& bounds) override;
    void updateBorder(const QRectF& bounds) override;
    void updateRecordingState() override;
    void showNotes() override;
    void hideNotes() override;
    void close() override;

    // None before show() and after close().
    FloatingPanel* control() const;
    RecordingBorderView* border() const;
    // None until the first showNotes() and after close().
    FloatingPanel* prompter() const;

private:
    bool borderHidden() const;
    void closeTakeWindows();

    QPointer<RecordingStudio> studio_;
    QPointer<FloatingPanel> control_;
    QPointer<RecordingBorderView> border_;
    QPointer<FloatingPanel> prompter_;
};

}  // namespace tavero
