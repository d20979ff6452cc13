#pragma once

#include "editor_ui/GuidanceRow.h"

#include <QWidget>

namespace tavero {

class ActionBar;
class AppModel;
class CanvasView;
class MainViewState;
class ScrollingCaptureRow;
class ShotDocument;
class ZoomBar;

// The editing area's right-hand column while a picture is edited, top to
// bottom: the action bar, the practice bar or editor hint, the scrolling
// screenshot's strip, the canvas (taking all the room left) and the zoom bar.
// It looks the same while the model is busy. Main thread.
class EditingColumn : public QWidget {
    Q_OBJECT
public:
    EditingColumn(AppModel& model, ShotDocument& document, MainViewState& state,
                  GuidanceRow::PracticeAction practiceAction, QWidget* parent = nullptr);

    ActionBar* actionBar() const { return actionBar_; }
    GuidanceRow* guidance() const { return guidance_; }
    ScrollingCaptureRow* scrollingRow() const { return scrolling_; }
    CanvasView* canvas() const { return canvas_; }
    ZoomBar* zoomBar() const { return zoomBar_; }

private:
    ActionBar* actionBar_ = nullptr;
    GuidanceRow* guidance_ = nullptr;
    ScrollingCaptureRow* scrolling_ = nullptr;
    CanvasView* canvas_ = nullptr;
    ZoomBar* zoomBar_ = nullptr;
};

}  // namespace tavero
