#include "editor_ui/Workspace.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditingColumn.h"
#include "editor_ui/FocusChain.h"

#include <QBoxLayout>
#include <QStackedWidget>

namespace tavero {

Workspace::Workspace(AppModel& model, ShotDocument& document, MainViewState& state, RecordingViews views,
                     GuidanceRow::PracticeAction practiceAction, QWidget* parent)
    : QWidget(parent), model_(model), views_(std::move(views)) {
    pages_ = new QStackedWidget(this);
    editing_ = new EditingColumn(model, document, state, std::move(practiceAction), pages_);
    pages_->addWidget(editing_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    connect(&model, &AppModel::videoURLChanged, this, &Workspace::showVideo);
    showVideo();
}

QWidget* Workspace::currentView() const { return pages_->currentWidget(); }

// A video workspace follows the model's later videos itself, so it is made
// when a video comes after none and dropped when none follows.
void Workspace::showVideo() {
    const bool shows = model_.videoURL().has_value();
    if (shows == bool(video_)) return;
    if (video_) {
        pages_->removeWidget(video_);
        // Later: a press of its own may have led here.
        video_->deleteLater();
        video_ = nullptr;
        return pages_->setCurrentWidget(editing_);
    }
    video_ = views_.videoWorkspace ? views_.videoWorkspace(model_, model_.studio(), *model_.videoURL()) : new QWidget;
    pages_->addWidget(video_);
    FocusChain::placeAfter(*editing_, *video_);
    pages_->setCurrentWidget(video_);
}

}  // namespace tavero
