#include "app/AppDelegate.h"

#include "app/EditorWindow.h"
#include "app/FileOpenPanel.h"
#include "app/MainMenu.h"
#include "app/QuitRule.h"
#include "app/StatusItem.h"
#include "capture/CaptureCoordinator.h"
#include "editor_ui/EndEditing.h"
#include "editor_ui/MainView.h"
#include "platform/memory/AllocatorSettings.h"
#include "platform/desktop/GlobalHotKeys.h"
#include "recording/studio/RecordingStudio.h"
#include "recording/ScreenRecorder.h"
#include "recording_ui/CameraSetupControls.h"
#include "recording_ui/RecordingEffectControls.h"
#include "recording_ui/RecordingSetupView.h"
#include "recording_ui/workspace/VideoWorkspace.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>

namespace tavero {

namespace {

constexpr std::chrono::milliseconds statusRefresh{1000};

}  // namespace

AppDelegate::AppDelegate(AppDelegateSetup setup, QObject* parent)
    : QObject(parent),
      openPanels_(std::make_unique<FileOpenPanel>()),
      model_(std::move(setup.model)),
      keys_(std::move(setup.hotKeys)),
      rest_([this] { return resting(); }, giveFreedMemoryBack) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::launch(const QStringList& switches) {
    // Closing the editor leaves the program running in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    window_ = std::make_unique<EditorWindow>(new MainView(model_, model_.document(), recordingViews()));
    installCallbacks();
    const auto perform = [self = QPointer<AppDelegate>(this)](ShellCommand command) {
        if (self) self->perform(command);
    };
    buildMainMenu(*window_, {perform, [this] { windows_.hideAll(); }});
    item_ = std::make_unique<StatusItem>([this] { return StatusMenuEntry::entries(statusState()); }, perform);
    connect(item_.get(), &StatusItem::clicked, this, &AppDelegate::show);
    updateStatus();
    registerHotKeys();
    timer_.setInterval(statusRefresh);
    connect(&timer_, &QTimer::timeout, this, &AppDelegate::updateStatus);
    // A scrolling screenshot tells no one when it has finished.
    connect(&timer_, &QTimer::timeout, this, &AppDelegate::quitOnceIdle);
    timer_.start();
    if (switches.contains(QStringLiteral("--demo"))) model_.demo();
    show();
}

// The recording interface's views that the editor window shows.
RecordingViews AppDelegate::recordingViews() {
    RecordingViews views;
    views.videoWorkspace = [](AppModel& model, RecordingStudio& studio, const QString& video) -> QWidget* {
        const auto effectControls = [](RecordingStudio& bound, QWidget* parent) -> QWidget* {
            return RecordingEffectControls::forStudio(bound, parent);
        };
        return new VideoWorkspace(model, studio, video, QStringLiteral("0"), QStringLiteral("10"), effectControls);
    };
    views.setupSheet = [](AppModel& model, RecordingStudio& studio) -> QWidget* {
        // The preview asks the model's coordinator, while the model lives.
        const auto snapshot = [held = QPointer<AppModel>(&model)](const ContentFilter& filter,
                                                                 RecordingSetupView::SnapshotDone done) {
            if (!held) return false;
            held->capture().snapshot(filter, std::nullopt, std::move(done));
            return true;
        };
        const auto cameraSection = [](RecordingStudio& bound, QWidget* parent) -> QWidget* {
            return new CameraSetupControls(bound, bound.webcam(), parent);
        };
        return new RecordingSetupView(studio, snapshot, cameraSection);
    };
    return views;
}

// The model and its parts reach the widgets only through what is installed
// here; the callbacks do nothing once the delegate is gone.
void AppDelegate::installCallbacks() {
    QPointer<AppDelegate> self(this);
    model_.setShowWindow([self] {
        if (self) self->show();
    });
    model_.setHideEditor([self] {
        if (self && self->window_) self->window_->hide();
    });
    model_.setUpdateMenu([self] {
        if (self) self->updateStatus();
    });
    // Taking the focus away commits an inline label being typed.
    model_.setResignFirstResponder([self] {
        if (self && self->window_) endEditing(self->window_.get());
    });
    model_.capture().setSelectionPresenter(&overlay_);
    model_.scrollSession().setControlsPresenter(&scrollControls_);
    model_.setApplicationWindows(&windows_);
    model_.setPinPresenter(&pins_);
    model_.setOpenPanelPresenter(openPanels_.get());
    // Once the open that ended has said so, the next file waiting opens.
    connect(&model_, &AppModel::busyChanged, this, &AppDelegate::openHandedOver, Qt::QueuedConnection);
    connect(&model_, &AppModel::recordingChanged, this, &AppDelegate::updateStatus);
    connect(&model_.studio(), &RecordingStudio::phaseChanged, this, &AppDelegate::updateStatus);
    connect(&model_.studio(), &RecordingStudio::phaseChanged, this, &AppDelegate::quitOnceIdle);
    connect(&model_.studio(), &RecordingStudio::processingChanged, this, &AppDelegate::quitOnceIdle);
    connect(window_.get(), &EditorWindow::visibilityChanged, &rest_, &TrayRest::update);
    connect(&model_.studio(), &RecordingStudio::phaseChanged, &rest_, &TrayRest::update);
    connect(&model_.studio(), &RecordingStudio::processingChanged, &rest_, &TrayRest::update);
}

void AppDelegate::registerHotKeys() {
    QPointer<AppDelegate> self(this);
    keys_.setAction([self](quint32 identifier) {
        if (self) self->hotKeyPressed(identifier);
    });
    const QList<quint32> refused = keys_.registerAll();
    if (!refused.isEmpty()) model_.setStatus(HotKeys::occupiedMessage(refused));
}

void AppDelegate::hotKeyPressed(quint32 identifier) {
    keyboardMark_.keyPressed();
    if (const std::optional<ShellCommand> command = HotKeys::command(identifier)) perform(*command);
}

void AppDelegate::show() {
    if (model_.scrollSession().isActive()) return model_.scrollSession().presentControls();
    if (!window_) return;
    windows_.showAll();
    window_->bringForward();
}

bool AppDelegate::shouldTerminate() {
    RecordingStudio& studio = model_.studio();
    switch (quitRule(model_.scrollSession().isActive(), studio.phase(), studio.processing())) {
    case QuitRule::finishScroll:
        model_.finishScroll();
        return false;
    case QuitRule::stopRecording:
        studio.stop();
        model_.setStatus(QuitMessages::stoppingRecording());
        show();
        return false;
    case QuitRule::cancelRender:
        studio.cancelExport();
        model_.setStatus(QuitMessages::cancellingRender());
        return false;
    case QuitRule::terminate: break;
    }
    return true;
}

void AppDelegate::quit() {
    if (shouldTerminate()) QCoreApplication::quit();
}

void AppDelegate::terminate() {
    terminating_ = true;
    quit();
}

void AppDelegate::quitOnceIdle() {
    if (!terminating_) return;
    const RecordingStudio& studio = model_.studio();
    if (quitRule(model_.scrollSession().isActive(), studio.phase(), studio.processing()) == QuitRule::terminate)
        QCoreApplication::quit();
}

bool AppDelegate::resting() {
    const RecordingStudio& studio = model_.studio();
    return window_ && !window_->isVisible() && !studio.phase().occupied() && !studio.processing();
}

void AppDelegate::started(const QStringList& files) {
    if (files.isEmpty()) return show();
    // Only the first of several files opens, as when the file manager hands
    // over a selection.
    handedOver_.append(files.first());
    if (handedOver_.size() > mostWaitingFiles) handedOver_.removeFirst();
    openHandedOver();
}

void AppDelegate::openHandedOver() {
    if (handedOver_.isEmpty() || model_.busy()) return;
    model_.open(handedOver_.takeFirst(), false, false);
}

void AppDelegate::becameActive() { model_.refreshHistory(); }

StatusState AppDelegate::statusState() {
    const RecordingStudio& studio = model_.studio();
    return {model_.recording(), studio.phase(), studio.elapsed(), model_.countdown(), model_.scrollCount()};
}

void AppDelegate::updateStatus() {
    if (item_) item_->update(StatusLook::of(statusState()));
}

}  // namespace tavero
