// Carrying a take from the set-up sheet to the moment its recorder has
// stopped: the checks and the frozen setup of start(), the 3-2-1 countdown,
// the background still, the take clock with its free-space watch, pausing,
// and stop() in every phase.
#include "recording/studio/RecordingStudio.h"

#include "capture/CaptureCoordinator.h"
#include "document/ImageOps.h"
#include "library/LibraryMessages.h"
#include "library/LocalLibrary.h"
#include "platform/files/AtomicFile.h"
#include "platform/threads/Background.h"
#include "recording/RecordingCaptureSettings.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/studio/RecordingTargets.h"
#include "recording/studio/StudioMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <utility>

namespace tavero {

namespace {

using Kind = RecordingPhase::Kind;

constexpr Seconds countdownStep{1.0};
constexpr Seconds clockStep{0.2};
constexpr Seconds diskCheckSpacing{2.0};
constexpr int countdownSeconds = 3;

const QString tink = QStringLiteral("Tink");

qint64 overlapArea(const QRect& a, const QRect& b) {
    const QRect overlap = a.intersected(b);
    return overlap.isEmpty() ? 0 : qint64(overlap.width()) * overlap.height();
}

// The display that holds the larger part of `window`; the first listed on a tie.
const DisplayInfo& displayUnder(const WindowInfo& window, const QList<DisplayInfo>& displays) {
    const DisplayInfo* best = &displays.first();
    for (const DisplayInfo& display : displays)
        if (overlapArea(display.pixelFrame, window.frame) > overlapArea(best->pixelFrame, window.frame))
            best = &display;
    return *best;
}

// The still is encoded and written off the main thread; false when any step failed.
bool writePicture(const QString& path, const QImage& picture) {
    try {
        return QDir().mkpath(QFileInfo(path).absolutePath()) &&
               bool(writeFileAtomically(path, ImageOps::png(picture, QStringLiteral("png"))));
    } catch (...) {
        return false;
    }
}

}  // namespace

void RecordingStudio::start(bool cameraPrepared) {
    RecordingHost* host = model();
    publish(availableDiskSpace_, host ? RecordingDiskSpace::available(host->library().root()) : std::nullopt);
    if (std::optional<QString> issue = diskStartIssue()) return publish(targetError_, std::move(issue));
    if (!canStart() || !host) return;
    publish(microphoneAuthorization_, microphonePermission_->status());
    if (microphone_ && microphoneAuthorization_ == MicrophoneAuthorization::notDetermined) return askForMicrophone();
    if (microphone_ && microphoneAuthorization_ != MicrophoneAuthorization::authorized)
        return publish(targetError_, std::optional<QString>(StudioMessages::microphoneDenied()));
    // What the sheet showed may be old: the server is asked again.
    if (microphone_ || recordsSystemSound()) refreshSoundSources();
    if (std::optional<QString> issue = soundIssue()) return publish(targetError_, std::move(issue));
    if (cameraEnabled_ && !cameraPrepared) {
        // The camera-only take records the microphone through the camera's feed.
        QPointer<RecordingStudio> self(this);
        webcam_->start(scope_ == RecordingScope::camera && microphone_, [self](bool ready) {
            if (self) self->cameraAnswered(ready);
        });
        return;
    }
    publish(targetError_, std::optional<QString>());
    const TakeTarget target = chooseTarget();
    if (scope_ != RecordingScope::camera && (!target.display || !target.content))
        return publish(targetError_, std::optional<QString>(StudioMessages::noScreen()));
    freezeSetup(target);
    beginCountdown(target);
}

// The answer may come on any thread; it counts on the main thread only.
void RecordingStudio::askForMicrophone() {
    setRequestingMicrophone(true);
    publish(targetError_, std::optional<QString>());
    QPointer<RecordingStudio> self(this);
    microphonePermission_->request([self](bool granted) {
        postToMain([self, granted] {
            if (self) self->microphoneAnswered(granted);
        });
    });
}

// A grant starts the take without a second click, unless the sheet closed meanwhile.
void RecordingStudio::microphoneAnswered(bool granted) {
    setRequestingMicrophone(false);
    refreshAudioAuthorization();
    if (!granted) return publish(targetError_, std::optional<QString>(StudioMessages::microphonePromptRefused()));
    if (setupVisible_) start(false);
}

// Only a start the user still waits for goes on: the sheet open, or a retake.
void RecordingStudio::cameraAnswered(bool ready) {
    if (!setupVisible_ && !isRetaking_) return;
    if (!ready) return publish(targetError_, std::optional<QString>(webcam_->message()));
    start(true);
}

TakeTarget RecordingStudio::chooseTarget() const {
    TakeTarget target;
    target.content = content_;
    target.display = selectedDisplay();
    if (scope_ == RecordingScope::window) target.window = selectedWindow();
    if (target.window && !displays_.isEmpty()) target.display = displayUnder(*target.window, displays_);
    if (scope_ == RecordingScope::area && region_) target.area = region_->rect;
    return target;
}

// Global screen points: the window, the area on its display, the display, or
// the main screen when none is recorded.
QRectF RecordingStudio::boundsOf(const TakeTarget& target) const {
    if (target.window) return RecordingTargets::pointsOf(QRectF(target.window->frame), displays_);
    if (target.display) {
        const QRectF frame = target.display->pointFrame();
        return target.area ? target.area->translated(frame.topLeft()) : frame;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QRectF(screen->geometry()) : QRectF(0, 0, 1280, 800);
}

void RecordingStudio::freezeSetup(const TakeTarget& target) {
    take_.bounds = boundsOf(target);
    take_.windowID = target.window ? std::optional<quint32>(target.window->id) : std::nullopt;
    take_.name = targetName();
    take_.effects = effects_;
    take_.scope = scope_;
    take_.displayID = target.display ? target.display->id : 0;
    take_.region = region_;
    take_.camera = cameraEnabled_;
    take_.cameraFraming = cameraFraming_;
    PortraitLayout layout = portrait_;
    layout.fullScreen = scope_ == RecordingScope::camera;
    setPortrait(layout);
    take_.systemAudio = systemAudio_;
    take_.microphone = microphone_;
    take_.notes = notesEnabled_ && !notes_.trimmed().isEmpty();
}

void RecordingStudio::beginCountdown(const TakeTarget& target) {
    RecordingHost& host = *model();
    const QUuid token = QUuid::createUuid();
    selectionToken_ = token;
    take_.backgroundFile.reset();
    // Asked before the set-up and the editor hide, so that the still waits
    // for them to leave and for what they covered to be drawn again.
    if (take_.effects.backgroundBlur && target.display && target.content && !take_.camera)
        takeBackground(*target.display, *target.content, token);
    publish(elapsed_, 0.0);
    setSetupVisible(false);
    setPhase(RecordingPhase::countdown(countdownSeconds));
    host.setRecordingStarting(true);
    host.setStatus(StudioMessages::countingDown());
    host.hideEditor();
    if (target.window && target.window->processID) host.capture().activate(*target.window->processID);
    publish(notesScrolling_, false);
    publish(notesReset_, notesReset_ + 1);
    RecordingOverlay* windows = overlay();
    if (windows) windows->show(take_.bounds);
    if (take_.camera && portraitOverlay_) {
        const bool cameraOnly = take_.scope == RecordingScope::camera;
        portraitOverlay_->show(*webcam_, take_.bounds, portrait_,
                               cameraOnly ? std::optional(take_.cameraFraming) : std::nullopt);
    }
    if (take_.notes) {
        publish(notesVisible_, true);
        if (windows) windows->showNotes();
    }
    openTakeSound();
    scheduleCountdownTick(token, std::make_shared<const TakeTarget>(target));
    host.updateMenu();
}

// A sound server can take a second or more to deliver a new stream's first
// sound: a take's sound starts with the countdown, and its parts take it
// over. The camera alone records the camera's own sound.
void RecordingStudio::openTakeSound() {
    takeSound_.reset();
    if (!openSound_ || take_.scope == RecordingScope::camera) return;
    const QList<SoundInput> inputs = takeSoundInputs(take_.systemAudio, take_.microphone);
    if (!inputs.isEmpty()) takeSound_ = std::make_unique<media::TakeSoundCapture>(inputs, openSound_);
}

void RecordingStudio::scheduleCountdownTick(const QUuid& token, std::shared_ptr<const TakeTarget> target) {
    QPointer<RecordingStudio> self(this);
    countdownTimer_ = scheduler().after(countdownStep, [self, token, target] {
        if (self) self->countdownTicked(token, target);
    });
}

// 3 shows at the start, 2 a second later, 1 after two; the third tick starts
// the recorder. A tick of a cancelled countdown does nothing.
void RecordingStudio::countdownTicked(const QUuid& token, std::shared_ptr<const TakeTarget> target) {
    if (token != selectionToken_) return;
    if (phase_.kind() == Kind::countdown && phase_.secondsLeft() > 1) {
        setPhase(RecordingPhase::countdown(phase_.secondsLeft() - 1));
        if (RecordingHost* host = model()) host->updateMenu();
        return scheduleCountdownTick(token, std::move(target));
    }
    countdownTimer_.reset();
    setPhase(Kind::starting);
    RecordingHost* host = model();
    if (!host) return cleanup();
    host->setStatus(StudioMessages::starting());
    startRecorder(*target);
}

void RecordingStudio::startRecorder(const TakeTarget& target) {
    const QString root = model()->library().root();
    if (!QDir().mkpath(root)) return didFinish(ShotError(library::messages::cannotCreateFolder(root)));
    const QString name = LocalLibrary::filename(LocalLibrary::Prefix::recording, QUuid::createUuid());
    const QString url = QDir(root).filePath(name + QStringLiteral(".mp4"));
    if (!recorder_) return didFinish(ShotError(StudioMessages::recordingUnavailable()));
    std::optional<RecordingCaptureSettings> screen;
    if (take_.scope != RecordingScope::camera && target.display && target.content)
        screen = RecordingCaptureSettings{*target.content, *target.display, target.area, target.window,
                                          take_.systemAudio, take_.microphone, true, std::nullopt,
                                          takeSound_ ? takeSound_->opener() : media::SoundRecorder::Open()};
    try {
        if (take_.camera)
            recorder_->startWithCamera(
                {webcam_.get(), screen, take_.effects, take_.bounds, take_.microphone, take_.cameraFraming}, url);
        else
            recorder_->start(*screen, url);
    } catch (const ShotError& error) {
        didFinish(error);
    }
}

// A blurred copy of the display backs the finished video; the take goes on
// without it when any step fails, and a still of a cancelled countdown is
// deleted when it arrives.
void RecordingStudio::takeBackground(const DisplayInfo& display, const ShareableContent& content, const QUuid& token) {
    RecordingHost& host = *model();
    const QString file = QStringLiteral("录屏背景_") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() +
                         QStringLiteral(".png");
    const QString path = QDir(host.library().root()).filePath(file);
    QPointer<RecordingStudio> self(this);
    const auto taken = [self, token, path](Result<QImage> still) {
        if (!self || !still || token != self->selectionToken_) return;
        runInBackground([self, token, path, picture = std::move(still).value()] {
            const bool written = writePicture(path, picture);
            postToMain([self, token, path, written] {
                if (self)
                    self->backgroundWritten(token, path, written);
                else if (written)
                    QFile::remove(path);
            });
        });
    };
    // Our windows, those leaving and those coming up, stay out of it.
    host.capture().snapshot(CaptureCoordinator::filter(display, content), std::nullopt, taken);
}

void RecordingStudio::backgroundWritten(const QUuid& token, const QString& path, bool written) {
    if (!written) return;
    if (token == selectionToken_)
        take_.backgroundFile = QFileInfo(path).fileName();
    else
        QFile::remove(path);
}

void RecordingStudio::removeBackground() {
    RecordingHost* host = model();
    if (!take_.backgroundFile || !host) return;
    QFile::remove(QDir(host->library().root()).filePath(*take_.backgroundFile));
    take_.backgroundFile.reset();
}

// The recorder began writing: the take's first part or a resumed one.
void RecordingStudio::didStart() {
    const Kind kind = phase_.kind();
    RecordingHost* host = model();
    if ((kind != Kind::starting && kind != Kind::resuming) || !host) return;
    const bool resumed = kind == Kind::resuming;
    setPhase(Kind::recording);
    publish(elapsed_, recorder_->elapsed());
    host->setRecordingStarting(false);
    host->setRecording(true);
    host->setRecordingDate(QDateTime::currentDateTime());
    host->setStatus(StudioMessages::recording());
    host->updateMenu();
    if (resumed) {
        tracker_->resume();
    } else {
        QPointer<RecordingStudio> self(this);
        tracker_->start(RecordingTargets::pixelsOf(take_.bounds, displays_), take_.windowID,
                        QSizeF(recorder_->videoSize()),
                        [self] { return self && self->model() ? self->recorder_->elapsed() : 0.0; });
    }
    lastDiskCheck_ = scheduler().now();
    scheduleElapsedTick();
    if (RecordingOverlay* windows = overlay()) windows->updateRecordingState();
    publish(notesScrolling_, resumed ? notesWereScrolling_ : take_.notes);
    // The chime would end up in a take that records what the computer plays.
    const bool recordsSystemSound = take_.systemAudio && take_.scope != RecordingScope::camera;
    if (!resumed && !recordsSystemSound) playSound(tink);
    if (resumed) togglePauseIfPressed();
}

void RecordingStudio::scheduleElapsedTick() {
    QPointer<RecordingStudio> self(this);
    elapsedTimer_ = scheduler().after(clockStep, [self] {
        if (self) self->elapsedTicked();
    });
}

// Runs on while pausing and paused: the clock then holds, and the disk is
// still watched.
void RecordingStudio::elapsedTicked() {
    scheduleElapsedTick();
    publish(elapsed_, recorder_->elapsed());
    const MonotonicTime now = scheduler().now();
    if (now - lastDiskCheck_ < diskCheckSpacing) return;
    lastDiskCheck_ = now;
    refreshDiskSpace();
    // The recorder keeps the sentence as the take's interruption and reports
    // that it is stopping.
    if (RecordingDiskSpace::shouldStop(availableDiskSpace_)) recorder_->stop(StudioMessages::diskNearlyFull());
}

// A press while a part is still being closed or opened waits for that step
// to end: the user may press again before the pause is written. Each press
// turns the wish round, so an odd number of presses while pausing resumes
// as soon as the take is paused, and an even number keeps it paused. A stop
// leaves the step unfinished and so forgets the press; every step starts
// with none.
void RecordingStudio::togglePause() {
    RecordingHost* host = model();
    if (!host || !recorder_) return;
    switch (phase_.kind()) {
    case Kind::recording: return beginPause(*host);
    case Kind::paused: return beginResume(*host);
    case Kind::pausing:
    case Kind::resuming: pauseTogglePending_ = !pauseTogglePending_; return;
    default: return;
    }
}

void RecordingStudio::beginPause(RecordingHost& host) {
    pauseTogglePending_ = false;
    notesWereScrolling_ = notesScrolling_;
    publish(notesScrolling_, false);
    setPhase(Kind::pausing);
    tracker_->stop();
    recorder_->pause();
    publish(elapsed_, recorder_->elapsed());
    host.setRecording(false);
    host.setStatus(StudioMessages::pausing());
    host.updateMenu();
    if (RecordingOverlay* windows = overlay()) windows->updateRecordingState();
}

void RecordingStudio::beginResume(RecordingHost& host) {
    pauseTogglePending_ = false;
    setPhase(Kind::resuming);
    host.setStatus(StudioMessages::resuming());
    host.updateMenu();
    recorder_->resume();
}

// The pause or the resume under way has ended.
void RecordingStudio::togglePauseIfPressed() {
    if (std::exchange(pauseTogglePending_, false)) togglePause();
}

void RecordingStudio::stop() {
    if (!phase_.occupied()) return;
    // A retake whose take is still being saved becomes a plain stop.
    publish(isRetaking_, false);
    switch (phase_.kind()) {
    case Kind::restarting:
        cleanup();
        if (RecordingHost* host = model()) {
            host->setStatus(StudioMessages::retakeCancelled());
            host->showWindow();
        }
        return;
    case Kind::countdown: return cancelCountdown();
    case Kind::stopping: return;
    default:
        willFinish();
        if (recorder_) recorder_->stop();
    }
}

// Nothing of the take is left: the tick and a still in flight find a new token.
void RecordingStudio::cancelCountdown() {
    selectionToken_ = QUuid::createUuid();
    countdownTimer_.reset();
    removeBackground();
    cleanup();
    if (RecordingHost* host = model()) {
        host->setStatus(StudioMessages::countdownCancelled());
        host->showWindow();
    }
}

// The take begins to end; again when the recorder says so once more.
void RecordingStudio::willFinish() {
    if (!phase_.occupied()) return;
    setPhase(Kind::stopping);
    elapsedTimer_.reset();
    publish(notesScrolling_, false);
    tracker_->stop();
    RecordingHost* host = model();
    if (!host) return;
    host->setRecording(false);
    host->setRecordingStarting(false);
    host->setStatus(isRetaking_ ? StudioMessages::endingForRetake() : StudioMessages::saving());
    host->updateMenu();
}

}  // namespace tavero
