// The studio's state: its parts, its settings and what runs when they are
// assigned.
#include "recording/studio/RecordingStudio.h"

#include "camera/NoCameraFeed.h"
#include "platform/SettingsValues.h"
#include "recording/studio/RecordingTargets.h"
#include "recording/studio/StudioMessages.h"

#include <QSettings>

#include <cmath>

namespace tavero {

namespace {

const QString systemAudioKey = QStringLiteral("recording.systemAudio");
const QString microphoneKey = QStringLiteral("recording.microphone");
const QString notesKey = QStringLiteral("recording.notes");
const QString notesTransparencyKey = QStringLiteral("recording.notesTransparency");

}  // namespace

RecordingStudio::RecordingStudio(RecordingHost& model, StudioParts parts, QObject* parent)
    : QObject(parent),
      model_(&model),
      modelObject_(model.hostObject()),
      webcam_(parts.webcam ? std::move(parts.webcam) : std::make_unique<NoCameraFeed>()),
      cameraFraming_(CameraFraming::load()),
      portraitOverlay_(std::move(parts.portraitOverlay)),
      tracker_(parts.tracker ? std::move(parts.tracker) : std::make_unique<CursorRecorder>(nullptr)),
      recorder_(std::move(parts.recorder)),
      exporter_(std::move(parts.exporter)),
      makeOverlay_(std::move(parts.makeOverlay)),
      microphonePermission_(parts.microphone ? std::move(parts.microphone) : grantedMicrophone()),
      playSound_(std::move(parts.playSound)),
      openSound_(std::move(parts.openSound)),
      findSound_(std::move(parts.findSound)),
      scheduler_(parts.scheduler ? parts.scheduler : &Scheduler::main()) {
    const QSettings settings;
    systemAudio_ = SettingsValues::readBool(settings, systemAudioKey).value_or(true);
    microphone_ = SettingsValues::readBool(settings, microphoneKey).value_or(false);
    notes_ = settings.value(notesKey).toString();
    notesTransparency_ = SettingsValues::readNumber(settings, notesTransparencyKey).value_or(0.65);
    microphoneAuthorization_ = microphonePermission_->status();
    wireParts();
}

// A project read still waiting on the library's queue is wanted no more.
RecordingStudio::~RecordingStudio() { ++*projectReads_; }

// Every callback holds the studio weakly: a part that outlives it calls nothing.
void RecordingStudio::wireParts() {
    QPointer<RecordingStudio> self(this);
    connect(webcam_.get(), &WebcamFeed::changed, this, &RecordingStudio::changed);
    tracker_->setOnBounds([self](const QRectF& bounds) {
        if (self) self->followedWindowMoved(bounds);
    });
    if (recorder_) {
        recorder_->setOnStarted([self] {
            if (self) self->didStart();
        });
        recorder_->setOnPaused([self] {
            if (self) self->recorderPaused();
        });
        recorder_->setOnStopping([self] {
            if (self) self->willFinish();
        });
        recorder_->setOnFinished([self](Result<RecordedVideo> result) {
            if (self) self->didFinish(std::move(result));
        });
    }
    // A camera-only take always shows the camera full screen, whatever the
    // overlay reports.
    if (portraitOverlay_)
        portraitOverlay_->setChanged([self](const PortraitLayout& reported) {
            // A drag over an empty recorded area has no place to report: its
            // centre is not a number, and the portrait stays where it was.
            if (!self || !std::isfinite(reported.x) || !std::isfinite(reported.y)) return;
            PortraitLayout layout = reported;
            if (self->take_.scope == RecordingScope::camera) layout.fullScreen = true;
            self->setPortrait(layout);
        });
}

RecordingHost* RecordingStudio::model() const { return modelObject_ ? model_ : nullptr; }

void RecordingStudio::playSound(const QString& name) const {
    if (playSound_) playSound_(name);
}

RecordingOverlay* RecordingStudio::overlay() {
    if (!overlay_ && makeOverlay_) overlay_ = makeOverlay_(*this);
    return overlay_.get();
}

void RecordingStudio::storeSetting(const QString& key, const QVariant& value) {
    QSettings settings;
    settings.setValue(key, value);
}

void RecordingStudio::setSetupVisible(bool visible) {
    publish(setupVisible_, visible);
    emit setupVisibleChanged();
}

void RecordingStudio::setPhase(RecordingPhase phase) {
    publish(phase_, phase);
    emit phaseChanged();
}

void RecordingStudio::setProcessing(bool processing) {
    publish(processing_, processing);
    emit processingChanged();
}

void RecordingStudio::setScope(RecordingScope scope) {
    publish(scope_, scope);
    if (scope != RecordingScope::camera) return;
    publish(cameraEnabled_, true);
    webcam_->start(false);
}

void RecordingStudio::setCameraEnabled(bool enabled) {
    publish(cameraEnabled_, enabled);
    if (enabled)
        webcam_->start(false);
    else
        webcam_->stop();
}

void RecordingStudio::setCameraFraming(const CameraFraming& framing) {
    publish(cameraFraming_, framing);
    cameraFraming_.save();
}

void RecordingStudio::setPortrait(const PortraitLayout& layout) {
    publish(portrait_, layout);
    portraitChanged();
}

void RecordingStudio::portraitChanged() {
    webcam_->portrait().set(portrait_);
    if (portraitOverlay_) portraitOverlay_->update(take_.bounds, portrait_);
    if (phase_.occupied())
        if (RecordingOverlay* windows = overlay()) windows->updateBorder(take_.bounds);
}

// The recorded window moved or changed size: the border and the camera
// picture go along.
void RecordingStudio::followedWindowMoved(const QRectF& pixels) {
    take_.bounds = RecordingTargets::pointsOf(pixels, displays_);
    if (RecordingOverlay* windows = overlay()) windows->updateBorder(take_.bounds);
    if (portraitOverlay_) portraitOverlay_->update(take_.bounds, portrait_);
}

void RecordingStudio::setWindowID(quint32 id) { publish(windowID_, id); }

void RecordingStudio::setDisplayID(quint32 id) { publish(displayID_, id); }

void RecordingStudio::setRegion(std::optional<CaptureRegion> region) { publish(region_, std::move(region)); }

void RecordingStudio::setSystemAudio(bool on) {
    publish(systemAudio_, on);
    storeSetting(systemAudioKey, on);
}

void RecordingStudio::setMicrophone(bool on) {
    publish(microphone_, on);
    storeSetting(microphoneKey, on);
}

void RecordingStudio::setEffects(const RecordingEffects& effects) { publish(effects_, effects); }

void RecordingStudio::setNotesEnabled(bool on) { publish(notesEnabled_, on); }

void RecordingStudio::setNotes(const QString& notes) {
    publish(notes_, notes);
    storeSetting(notesKey, notes);
}

void RecordingStudio::setNotesScrolling(bool scrolling) { publish(notesScrolling_, scrolling); }

void RecordingStudio::setNotesSpeed(double speed) { publish(notesSpeed_, speed); }

void RecordingStudio::setNotesSize(double size) { publish(notesSize_, size); }

void RecordingStudio::setNotesTransparency(double transparency) {
    publish(notesTransparency_, transparency);
    storeSetting(notesTransparencyKey, transparency);
}

void RecordingStudio::toggleNotes() {
    publish(notesVisible_, !notesVisible_);
    RecordingOverlay* windows = overlay();
    if (!windows) return;
    if (notesVisible_)
        windows->showNotes();
    else
        windows->hideNotes();
}

// A preview starts at the top and stands still.
void RecordingStudio::previewNotes() {
    publish(notesScrolling_, false);
    rewindNotes();
    publish(notesVisible_, true);
    if (RecordingOverlay* windows = overlay()) windows->showNotes();
}

void RecordingStudio::hideNotes() {
    publish(notesVisible_, false);
    publish(notesScrolling_, false);
    if (RecordingOverlay* windows = overlay()) windows->hideNotes();
}

void RecordingStudio::rewindNotes() { publish(notesReset_, notesReset_ + 1); }

void RecordingStudio::closeCameraPreview() {
    if (!phase_.occupied()) webcam_->stop();
}

void RecordingStudio::togglePortraitFullScreen() {
    if (!take_.camera || take_.scope == RecordingScope::camera) return;
    PortraitLayout layout = portrait_;
    layout.fullScreen = !layout.fullScreen;
    setPortrait(layout);
}

// The pause the studio asked for is complete, and a resume pressed meanwhile
// goes ahead; a late report of a pause that a stop overtook changes nothing.
void RecordingStudio::recorderPaused() {
    RecordingHost* host = model();
    if (phase_ != RecordingPhase(RecordingPhase::Kind::pausing) || !host) return;
    setPhase(RecordingPhase::Kind::paused);
    publish(elapsed_, recorder_->elapsed());
    // Samples taken after the last kept picture would point past the video.
    tracker_->trim(elapsed_);
    host->setRecording(false);
    host->setStatus(StudioMessages::paused());
    host->updateMenu();
    if (RecordingOverlay* windows = overlay()) windows->updateRecordingState();
    togglePauseIfPressed();
}

}  // namespace tavero
