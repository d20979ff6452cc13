#include "editor_ui/MainView.h"

#include "app/model/AppModel.h"
#include "document/ShotDocument.h"
#include "editor_ui/EditorLook.h"
#include "editor_ui/ErrorAlert.h"
#include "editor_ui/HeaderBar.h"
#include "editor_ui/MainViewState.h"
#include "editor_ui/Sidebar.h"
#include "editor_ui/StartView.h"
#include "editor_ui/StatusBar.h"
#include "editor_ui/Workspace.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QStackedWidget>

namespace tavero {

MainView::MainView(AppModel& model, ShotDocument& document, RecordingViews recordingViews, QWidget* parent)
    : QWidget(parent),
      model_(model),
      document_(document),
      recordingViews_(std::move(recordingViews)),
      state_(std::make_unique<MainViewState>()),
      markCount_(document.marks().size()),
      contentID_(document.contentID()),
      tool_(document.tool()) {
    setMinimumSize(minimumWidth, minimumHeight);
    setAcceptDrops(true);
    // The window's tint: selections, checked controls and focus rings.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, EditorLook::accent());
    setPalette(tinted);

    header_ = new HeaderBar(model, document, *state_, this);
    content_ = new QStackedWidget(this);
    startView_ = makeStartView();
    editingArea_ = makeEditingArea();
    content_->addWidget(startView_);
    content_->addWidget(editingArea_);
    statusBar_ = new StatusBar(model, document, this);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header_);
    column->addWidget(EditorLook::divider(this));
    column->addWidget(content_, 1);
    column->addWidget(EditorLook::divider(this));
    column->addWidget(statusBar_);

    makeSheets();
    alert_ = new ErrorAlert(model, this);

    connect(&model, &AppModel::flowChanged, this, &MainView::route);
    connect(&model, &AppModel::videoURLChanged, this, &MainView::route);
    connect(&document, &ShotDocument::changed, this, &MainView::documentChanged);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &MainView::applicationStateChanged);
    route();
}

MainView::~MainView() = default;

StartView* MainView::makeStartView() {
    return new StartView(model_, document_, [this] { model_.chooseFile(); }, this);
}

QWidget* MainView::makeEditingArea() {
    auto* area = new QWidget(this);
    sidebar_ = new Sidebar(model_, document_, *state_, [this] { openBackground(); }, area);
    sidebarDivider_ = EditorLook::divider(area, true);
    workspace_ = new Workspace(model_, document_, *state_, recordingViews_,
                               [this](ScreenshotPracticeStep step) { practiceAction(step); }, area);
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar_);
    row->addWidget(sidebarDivider_);
    row->addWidget(workspace_, 1);
    return area;
}

QWidget* MainView::currentContent() const { return content_->currentWidget(); }

void MainView::route() {
    content_->setCurrentWidget(MainViewState::showsStartScreen(model_, document_) ? startView_ : editingArea_);
    const bool showingVideo = model_.videoURL().has_value();
    sidebar_->setVisible(!showingVideo);
    sidebarDivider_->setVisible(!showingVideo);
}

}  // namespace tavero
