// Retaking: the take in progress is ended and saved as usual, then moved to
// the Trash with its companion files, and the same target is recorded again
// with the take's settings, unless it is gone meanwhile. Every late step
// carries the token drawn for its retake and does nothing once a stop or a
// new preparation has replaced it.
#include "recording/studio/RecordingStudio.h"

#include "capture/CaptureCoordinator.h"
#include "library/LibraryMessages.h"
#include "library/LocalLibrary.h"
#include "platform/threads/Background.h"
#include "recording/RecordingRetake.h"
#include "recording/studio/RecordingTargets.h"
#include "recording/studio/StudioMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

// The archive's answer; any failure but its own sentence keeps the take too.
std::optional<ShotError> archiveTake(const QString& clip, const QStringList& companions) {
    try {
        RecordingRetake::archive(clip, companions);
        return std::nullopt;
    } catch (const ShotError& error) {
        return error;
    } catch (...) {
        return ShotError(RecordingRetake::messages::notArchived(library::messages::operationFailed()));
    }
}

}  // namespace

void RecordingStudio::restart() {
    const Kind kind = phase_.kind();
    if ((kind != Kind::recording && kind != Kind::paused) || isRetaking_) return;
    publish(isRetaking_, true);
    willFinish();
    if (model() && recorder_) recorder_->stop();
}

// The take, opened as the current clip, is written with its project and
// listed, in turn on the library's queue, before anything moves it to the
// Trash: a quit meanwhile keeps it as a plain stop would. The retake goes on
// meanwhile.
void RecordingStudio::retakeAfterSaving(RecordingHost& host, const RecordedVideo& video,
                                        const RecordingProject& project) {
    setPhase(Kind::restarting);
    publish(isRetaking_, true);
    host.updateMenu();
    const QUuid token = QUuid::createUuid();
    selectionToken_ = token;
    auto notSaved = std::make_shared<std::optional<ShotError>>();
    saveProject(host, project, {video.url}, [notSaved](std::optional<ShotError> failure) { *notSaved = failure; });
    QPointer<RecordingStudio> self(this);
    host.library().addVideo(video.url, [self, video, project, token, notSaved](Result<CaptureRecord> record) {
        const std::optional<CaptureRecord> listed = record ? std::optional(record.value()) : std::nullopt;
        if (self) self->retakeSaved(video, project, token, *notSaved, listed);
    });
}

// A take whose project could not be written is kept as after a plain stop;
// any other goes to the Trash, also when the retake was stopped meanwhile.
void RecordingStudio::retakeSaved(const RecordedVideo& video, const RecordingProject& project, const QUuid& token,
                                  const std::optional<ShotError>& failure,
                                  const std::optional<CaptureRecord>& listed) {
    if (!failure) return archive(video, project, token, listed);
    RecordingHost* host = model();
    if (!host) return;
    if (selectionToken_ == token) {
        publish(isRetaking_, false);
        cleanup();
    }
    keepTake(*host, video, project,
             std::make_shared<const std::optional<QString>>(StudioMessages::projectNotSaved(failure->message())));
}

void RecordingStudio::archive(const RecordedVideo& video, const RecordingProject& project, const QUuid& token,
                              const std::optional<CaptureRecord>& listed) {
    QStringList companions{RecordingProject::sidecar(video.url)};
    if (project.backgroundFile) companions.append(QFileInfo(video.url).dir().filePath(*project.backgroundFile));
    QPointer<RecordingStudio> self(this);
    runInBackground([self, video, token, companions, listed] {
        const std::optional<ShotError> failure = archiveTake(video.url, companions);
        postToMain([self, video, token, failure, listed] {
            if (self) self->archived(video, token, failure, listed);
        });
    });
}

// Runs whether or not the retake was cancelled meanwhile: a take that stayed
// shows in the library, one in the Trash leaves the workspace and the list;
// only the steps that carry the retake on ask for its token.
void RecordingStudio::archived(const RecordedVideo& video, const QUuid& token, const std::optional<ShotError>& failure,
                               const std::optional<CaptureRecord>& listed) {
    RecordingHost* host = model();
    if (!host) return;
    if (failure) {
        QPointer<QObject> hostAlive = modelObject_;
        RecordingHost* hostPointer = host;
        const ShotError error = *failure;
        host->library().addVideo(video.url, [hostAlive, hostPointer, error](Result<CaptureRecord> record) {
            if (!hostAlive) return;
            hostPointer->saved(record);
            hostPointer->fail(error);
        });
        if (selectionToken_ != token) return;
        publish(isRetaking_, false);
        return cleanup();
    }
    // Its file is gone, so the library only forgets it; a record it could
    // not forget is dropped when the library is next read.
    if (listed) host->library().trash(*listed, [](std::optional<ShotError>) {});
    if (currentRawURL_ == video.url) {
        publish(currentRawURL_, std::optional<QString>());
        publish(currentProject_, std::optional<RecordingProject>());
        publish(currentOutputURL_, std::optional<QString>());
    }
    if (host->videoURL() == video.url) host->setVideoURL(std::nullopt);
    if (selectionToken_ == token && phase_.kind() == Kind::restarting) refreshTargetForRetake(token);
}

void RecordingStudio::refreshTargetForRetake(const QUuid& token) {
    RecordingHost* host = model();
    if (!host) return;
    QPointer<RecordingStudio> self(this);
    host->capture().content([self, token](Result<ShareableContent> result) {
        if (self) self->retakeContentArrived(token, std::move(result));
    });
}

void RecordingStudio::retakeContentArrived(const QUuid& token, Result<ShareableContent> result) {
    if (token != selectionToken_ || phase_.kind() != Kind::restarting) return;
    publish(isRetaking_, false);
    setPhase(Kind::idle);
    restoreTakeSettings();
    if (!result) {
        publish(targetError_,
                std::optional<QString>(StudioMessages::retakeTargetsUnreadable(result.error().message())));
    } else {
        content_ = std::move(result).value();
        publish(displays_, content_->displays);
        publish(windows_, RecordingTargets::retakeWindows(*content_, QCoreApplication::applicationPid()));
        if (retakeTargetExists()) {
            startRetake();
        } else {
            if (scope_ == RecordingScope::area) setRegion(std::nullopt);
            publish(targetError_, std::optional<QString>(StudioMessages::retakeTargetGone()));
        }
    }
    // The new take has not begun: its target is gone, unreadable, refused,
    // or the camera is still starting. The sheet says why; the status line
    // no longer speaks of a take being ended.
    if (phase_.kind() != Kind::idle) return;
    setSetupVisible(true);
    if (RecordingHost* host = model()) {
        host->setStatus(QString());
        host->showWindow();
        host->updateMenu();
    }
}

// The settings of the take thrown away, through their setters, so the scope
// and the persisted choices behave as if the user had chosen them again.
void RecordingStudio::restoreTakeSettings() {
    setScope(take_.scope);
    setWindowID(take_.windowID.value_or(0));
    setDisplayID(take_.displayID);
    setRegion(take_.region);
    setEffects(take_.effects);
    setSystemAudio(take_.systemAudio);
    setMicrophone(take_.microphone);
    setCameraFraming(take_.cameraFraming);
}

bool RecordingStudio::retakeTargetExists() const {
    switch (scope_) {
    case RecordingScope::window: return selectedWindow().has_value();
    case RecordingScope::area: {
        const std::optional<DisplayInfo> display = selectedDisplay();
        return display && region_ && QRectF(QPointF(0, 0), display->pointSize()).contains(region_->rect);
    }
    case RecordingScope::display: return selectedDisplay().has_value();
    case RecordingScope::camera: return true;
    }
    return false;
}

// A take with the camera waits for it to run again first.
void RecordingStudio::startRetake() {
    if (!take_.camera) return start(false);
    publish(cameraEnabled_, true);
    setSetupVisible(true);
    QPointer<RecordingStudio> self(this);
    webcam_->start(false, [self](bool ready) {
        if (ready && self) self->start(false);
    });
}

}  // namespace tavero
