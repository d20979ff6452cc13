#pragma once

#include "editor_ui/GuidanceRow.h"
#include "editor_ui/RecordingViews.h"

#include <QPointer>
#include <QWidget>

class QStackedWidget;

namespace tavero {

class AppModel;
class EditingColumn;
class MainViewState;
class ShotDocument;

// The right-hand area of the editing area: the video workspace while the
// model shows a video, otherwise the editing column over the document. (The
// start screen, for when there is neither, is the main view's.) The video
// workspace is made when a video is shown after none and follows the
// model's next videos itself.
//
// Observes the model's video; main thread.
class Workspace : public QWidget {
    Q_OBJECT
public:
    Workspace(AppModel& model, ShotDocument& document, MainViewState& state, RecordingViews views,
              GuidanceRow::PracticeAction practiceAction, QWidget* parent = nullptr);

    EditingColumn* editingColumn() const { return editing_; }
    // The video workspace while a video is shown; null otherwise.
    QWidget* videoWorkspace() const { return video_; }
    QWidget* currentView() const;

private:
    void showVideo();

    AppModel& model_;
    RecordingViews views_;
    QStackedWidget* pages_ = nullptr;
    EditingColumn* editing_ = nullptr;
    QPointer<QWidget> video_;
};

}  // namespace tavero
