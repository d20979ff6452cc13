// Every still screenshot starts in take(): the guards, the screen-access
// explanation, the countdown, the capture and what its result becomes.
#include "app/model/AppModel.h"

#include "app/model/ModelMessages.h"
#include "capture/ApplicationWindows.h"
#include "capture/CaptureMessages.h"
#include "document/ShotDocument.h"
#include "recording/ScreenRecorder.h"

#include <QPointer>

#include <utility>

namespace tavero {

void AppModel::take(CaptureMode mode, bool scrolling) {
    if (scrollSession_->isActive()) return scrollSession_->presentControls();
    if (busy_ || recordingStarting_ || recorder_->isActive() || countdown_ != 0) return;
    if (explainScreenAccess(ScreenAccessIntent::screenshot(mode, scrolling))) return;
    if (captureDelay_ >= 1) startCountdown(mode, scrolling);
    else startCapture(mode, scrolling);
}

bool AppModel::explainScreenAccess(const ScreenAccessIntent& intent) {
    if (hasPermission_ || screenAccessExplained_) return false;
    setScreenAccessIntent(intent);
    invoke(showWindow_);
    return true;
}

void AppModel::confirmScreenAccess() {
    confirmedScreenAction_ = screenAccessIntent_;
    screenAccessExplained_ = true;
    setScreenAccessIntent(std::nullopt);
}

void AppModel::resumeScreenAction() {
    const std::optional<ScreenAccessIntent> action = std::exchange(confirmedScreenAction_, std::nullopt);
    if (!action) return;
    if (const auto* screenshot = std::get_if<ScreenAccessIntent::Screenshot>(&action->action))
        take(screenshot->mode, screenshot->scrolling);
    else
        toggleRecording(std::get<ScreenAccessIntent::Recording>(action->action).preferRegion);
}

// The program's windows leave the screen for the countdown; the capture
// starts on the tick that brings it below 1, so n seconds after the action.
void AppModel::startCountdown(CaptureMode mode, bool scrolling) {
    setCountdown(captureDelay_);
    if (windows_) windows_->hideAll();
    countdownTimer_ = std::make_unique<QTimer>();
    countdownTimer_->setInterval(countdownTick_);
    connect(countdownTimer_.get(), &QTimer::timeout, this, [this, mode, scrolling] { countdownTicked(mode, scrolling); });
    countdownTimer_->start();
    invoke(updateMenu_);
}

void AppModel::countdownTicked(CaptureMode mode, bool scrolling) {
    setCountdown(countdown_ - 1);
    invoke(updateMenu_);
    if (countdown_ >= 1) return;
    stopCountdownTimer();
    startCapture(mode, scrolling);
}

void AppModel::stopCountdownTimer() {
    if (!countdownTimer_) return;
    countdownTimer_->stop();
    // The timer may be the sender of the signal being handled.
    countdownTimer_.release()->deleteLater();
}

void AppModel::cancelCountdown() {
    stopCountdownTimer();
    setCountdown(0);
    invoke(updateMenu_);
    invoke(showWindow_);
}

void AppModel::startCapture(CaptureMode mode, bool scrolling) {
    setBusy(true);
    setStatus(ModelMessages::capturing());
    QPointer<AppModel> self(this);
    capture_->capture(mode, scrolling, [self, scrolling](Result<QImage> result) {
        if (self) self->captured(std::move(result), scrolling);
    });
}

void AppModel::captured(Result<QImage> result, bool scrolling) {
    setBusy(false);
    setHasPermission(capture_->hasPermission());
    if (result) return openCapture(result.value(), scrolling);
    // A selection the user cancelled is no failure: no alert.
    if (result.error().message() != CaptureMessages::cancelled()) return fail(result.error());
    setStatus(CaptureMessages::cancelled());
    invoke(showWindow_);
}

void AppModel::openCapture(const QImage& image, bool scrolling) {
    setHasPermission(true);
    setVideoURL(std::nullopt);
    document_->open(image, scrolling ? ModelMessages::scrollingCapture() : ModelMessages::newCapture(), {});
    changeFlow([](WorkspaceFlow& flow) { flow.openContent(false); });
    if (scrolling) return startScrolling(image);
    setStatus(ModelMessages::captureReady());
    if (autoSave_) library_->persist(image, LocalLibrary::Prefix::capture, QStringLiteral("png"), whenSaved());
    invoke(showWindow_);
}

void AppModel::requestPermission() {
    if (busy_) return;
    setBusy(true);
    setStatus(ModelMessages::requestingPermission());
    QPointer<AppModel> self(this);
    capture_->content([self](Result<ShareableContent> content) {
        if (!self) return;
        self->setBusy(false);
        if (!content) {
            // There is no privacy pane to open on X11: the sentence is all.
            self->setHasPermission(self->capture_->hasPermission());
            self->setStatus(content.error().message());
            return;
        }
        self->setHasPermission(true);
        self->setStatus(ModelMessages::permissionConfirmed());
        invoke(self->showWindow_);
    });
}

}  // namespace tavero
