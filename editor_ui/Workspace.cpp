#include "editor_ui/Workspace.h"

#include "app/model/AppModel.h"
#include "editor_ui/EditingColumn.h"
#include "editor_ui/RecordingUnavailableView.h"

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

void Workspace::showVideo() {
    const std::optional<QString>& video = model_.videoURL();
    if (video == shownVideo_) return;
    shownVideo_ = video;
    if (video_) {
        pages_->removeWidget(video_);
        video_->deleteLater();
    }
    if (!video) return pages_->setCurrentWidget(editing_);
    video_ = views_.videoWorkspace ? views_.videoWorkspace(model_, model_.studio(), *video) : RecordingUnavailableView::videoPlaceholder(*video);
    pages_->addWidget(video_);
    pages_->setCurrentWidget(video_);
}

}  // namespace tavero
