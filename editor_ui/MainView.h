#pragma once

#include "app/model/ScreenshotPracticeStep.h"
#include "document/FrameOptions.h"
#include "document/MarkTool.h"
#include "editor_ui/RecordingViews.h"

#include <QUuid>
#include <QWidget>

#include <memory>

class QStackedWidget;

namespace tavero {

class AppModel;
class ErrorAlert;
class HeaderBar;
class MainViewState;
class SheetBinding;
class ShotDocument;
class Sidebar;
class StartView;
class StatusBar;
class Workspace;

// The content of the editor window: the header, the start screen or the
// editing area (sidebar and workspace, no sidebar while a video is shown),
// and the status bar. It owns the window's own state (MainViewState), shows
// every sheet and the error alert, opens the first file dropped anywhere on
// it, and follows a few changes of the document: a new picture returns the
// sidebar to its tools, a tool outside the common six opens the more-tools
// group, and the first mark moves the practice on.
//
// Created once by the program over the model and its document, which outlive
// it; main thread.
class MainView : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 980;
    static constexpr int minimumHeight = 660;

    MainView(AppModel& model, ShotDocument& document, RecordingViews recordingViews = {}, QWidget* parent = nullptr);
    ~MainView() override;

    MainViewState& state() const { return *state_; }
    HeaderBar* header() const { return header_; }
    Sidebar* sidebar() const { return sidebar_; }
    Workspace* workspace() const { return workspace_; }
    StatusBar* statusBar() const { return statusBar_; }
    StartView* startView() const { return startView_; }
    // The start screen or the editing area, whichever shows.
    QWidget* currentContent() const;
    ErrorAlert* errorAlert() const { return alert_; }

    // Ends any editing, renders the document and hands the picture to the
    // background sheet, unless the document changed meanwhile.
    void openBackground();
    // The background sheet's choice: frames the picture handed to the sheet,
    // unless the document has moved on since it was rendered.
    void applyBackground(const FrameOptions& options);
    // The practice bar's action for `step`.
    void practiceAction(ScreenshotPracticeStep step);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    StartView* makeStartView();
    QWidget* makeEditingArea();
    void makeSheets();
    void route();
    void documentChanged();
    void applicationStateChanged(Qt::ApplicationState state);
    void syncSheets();

    AppModel& model_;
    ShotDocument& document_;
    RecordingViews recordingViews_;
    std::unique_ptr<MainViewState> state_;
    HeaderBar* header_ = nullptr;
    QStackedWidget* content_ = nullptr;
    StartView* startView_ = nullptr;
    QWidget* editingArea_ = nullptr;
    Sidebar* sidebar_ = nullptr;
    QWidget* sidebarDivider_ = nullptr;
    Workspace* workspace_ = nullptr;
    StatusBar* statusBar_ = nullptr;
    ErrorAlert* alert_ = nullptr;
    QList<SheetBinding*> sheets_;
    // What the reactions compare against; none of them runs at first sight.
    qsizetype markCount_ = 0;
    QUuid contentID_;
    MarkTool tool_;
};

}  // namespace tavero
