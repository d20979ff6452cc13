#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/EndEditing.h"
#include "editor_ui/MainView.h"
#include "editor_ui/MainViewState.h"
#include "platform/threads/MainThread.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>

namespace tavero {

namespace {

// The first file of a drop; none when it carries no file.
std::optional<QString> firstFile(const QMimeData* data) {
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return std::nullopt;
}

}  // namespace

void MainView::documentChanged() {
    route();
    const qsizetype marks = document_.marks().size();
    if (marks != markCount_) {
        markCount_ = marks;
        if (marks >= 1) {
            WorkspaceFlow flow = model_.flow();
            flow.annotated();
            model_.setFlow(flow);
        }
    }
    if (document_.contentID() != contentID_) {
        contentID_ = document_.contentID();
        state_->setSidebarTab(MainViewState::annotationTab);
    }
    if (document_.tool() != tool_) {
        tool_ = document_.tool();
        // Shows the chosen tool; choosing a common one leaves the group as it is.
        if (!MainViewState::isCommonTool(tool_)) state_->setMoreTools(true);
    }
}

void MainView::applicationStateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) model_.refreshPermission();
}

void MainView::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstFile(event->mimeData())) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

// Only the first file opens; the drop is accepted at once and the file opens
// from the event loop, after the drag has ended.
void MainView::dropEvent(QDropEvent* event) {
    const std::optional<QString> file = firstFile(event->mimeData());
    if (!file) return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    QPointer<AppModel> model(&model_);
    postToMain(this, [model, file = *file] {
        if (model) model->open(file, false, false);
    });
}

void MainView::openBackground() {
    endEditing(this);
    document_.endTextInput(false);
    const qint64 revision = document_.revision();
    QPointer<MainView> self(this);
    model_.renderThen([self, revision](const QImage& picture) {
        if (!self || self->document_.revision() != revision) return;
        self->state_->presentBackground(picture, revision);
    });
}

void MainView::applyBackground(const FrameOptions& options) {
    model_.applyBackground(state_->backgroundSource(), options, state_->backgroundRevision());
}

void MainView::practiceAction(ScreenshotPracticeStep step) {
    switch (step) {
    case ScreenshotPracticeStep::annotate:
        endEditing(this);
        return document_.choose(MarkTool::arrow);
    case ScreenshotPracticeStep::background: return openBackground();
    case ScreenshotPracticeStep::share: return model_.copy();
    case ScreenshotPracticeStep::complete: return model_.take(CaptureMode::area, false);
    }
}

}  // namespace tavero
