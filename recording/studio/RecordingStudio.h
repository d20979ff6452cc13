#pragma once

#include "camera/CameraFraming.h"
#include "camera/PortraitLayout.h"
#include "camera/RecordingEffects.h"
#include "camera/RecordingProject.h"
#include "capture/CaptureRegion.h"
#include "platform/Scheduler.h"
#include "platform/desktop/ScreenContent.h"
#include "platform/media/TakeSoundCapture.h"
#include "platform/sound/SoundSources.h"
#include "recording/RecordedVideo.h"
#include "recording/RecordingPhase.h"
#include "recording/RecordingScope.h"
#include "recording/studio/RecordingHost.h"
#include "recording/studio/StudioParts.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QUuid>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// What a take records, chosen when its countdown begins: the recorder is
// started with it once the countdown ends.
struct TakeTarget {
    // None for the camera alone.
    std::optional<ShareableContent> content;
    std::optional<DisplayInfo> display;
    // The area in the display's own points, for the area scope only.
    std::optional<QRectF> area;
    std::optional<WindowInfo> window;
};

// The setup of a take, frozen when its countdown begins: everything after
// the countdown reads this, never the settings the user may change meanwhile.
struct TakeSetup {
    // The recorded area in global screen points, top-left origin.
    QRectF bounds;
    std::optional<quint32> windowID;
    RecordingScope scope = RecordingScope::window;
    quint32 displayID = 0;
    std::optional<CaptureRegion> region;
    bool systemAudio = true;
    bool microphone = false;
    // The target's name as the take shows it.
    QString name;
    RecordingEffects effects;
    bool camera = false;
    CameraFraming cameraFraming;
    // The blurred still of the display taken at the start, in the library folder.
    std::optional<QString> backgroundFile;
    bool notes = false;
};

// The one recording controller of the program: everything the set-up sheet,
// the recording windows, the record button, the status item, the menus and
// the start screen show about a recording is a property of it, and every
// recording action is a method of it.
//
// Each published property emits changed() on every assignment, also of the
// value it already holds (views redraw, settings are written again); the
// phase, the render flag and the sheet flag also emit their own signal.
// System sound, microphone, notes and their transparency persist in the user
// defaults ("recording.…"), read once here and written on every assignment;
// the camera framing persists through CameraFraming.
//
// Created by the model on first use and kept for its whole life; reaches the
// model only through RecordingHost, held weakly, and does nothing that needs
// the model once it is gone. Owns the camera feed, the portrait overlay, the
// recording windows (made on first use), the recorder's studio side and the
// exporter of finished videos.
// Main thread.
class RecordingStudio : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool setupVisible READ setupVisible WRITE setSetupVisible NOTIFY setupVisibleChanged)
    Q_PROPERTY(bool loadingTargets READ loadingTargets NOTIFY changed)
    Q_PROPERTY(std::optional<QString> targetError READ targetError NOTIFY changed)
    Q_PROPERTY(tavero::RecordingScope scope READ scope WRITE setScope NOTIFY changed)
    Q_PROPERTY(bool cameraEnabled READ cameraEnabled WRITE setCameraEnabled NOTIFY changed)
    Q_PROPERTY(tavero::CameraFraming cameraFraming READ cameraFraming WRITE setCameraFraming NOTIFY changed)
    Q_PROPERTY(tavero::PortraitLayout portrait READ portrait WRITE setPortrait NOTIFY changed)
    Q_PROPERTY(quint32 windowID READ windowID WRITE setWindowID NOTIFY changed)
    Q_PROPERTY(quint32 displayID READ displayID WRITE setDisplayID NOTIFY changed)
    Q_PROPERTY(QList<tavero::WindowInfo> windows READ windows NOTIFY changed)
    Q_PROPERTY(QList<tavero::DisplayInfo> displays READ displays NOTIFY changed)
    Q_PROPERTY(std::optional<tavero::CaptureRegion> region READ region WRITE setRegion NOTIFY changed)
    Q_PROPERTY(tavero::RecordingPhase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(double elapsed READ elapsed NOTIFY changed)
    Q_PROPERTY(std::optional<qint64> availableDiskSpace READ availableDiskSpace NOTIFY changed)
    Q_PROPERTY(bool isRetaking READ isRetaking NOTIFY changed)
    Q_PROPERTY(bool systemAudio READ systemAudio WRITE setSystemAudio NOTIFY changed)
    Q_PROPERTY(bool microphone READ microphone WRITE setMicrophone NOTIFY changed)
    Q_PROPERTY(tavero::MicrophoneAuthorization microphoneAuthorization READ microphoneAuthorization NOTIFY changed)
    Q_PROPERTY(bool requestingMicrophone READ requestingMicrophone NOTIFY changed)
    Q_PROPERTY(std::optional<tavero::SoundSources> soundSources READ soundSources NOTIFY changed)
    Q_PROPERTY(tavero::RecordingEffects effects READ effects WRITE setEffects NOTIFY changed)
    Q_PROPERTY(bool notesEnabled READ notesEnabled WRITE setNotesEnabled NOTIFY changed)
    Q_PROPERTY(QString notes READ notes WRITE setNotes NOTIFY changed)
    Q_PROPERTY(bool notesScrolling READ notesScrolling WRITE setNotesScrolling NOTIFY changed)
    Q_PROPERTY(double notesSpeed READ notesSpeed WRITE setNotesSpeed NOTIFY changed)
    Q_PROPERTY(double notesSize READ notesSize WRITE setNotesSize NOTIFY changed)
    Q_PROPERTY(double notesTransparency READ notesTransparency WRITE setNotesTransparency NOTIFY changed)
    Q_PROPERTY(int notesReset READ notesReset NOTIFY changed)
    Q_PROPERTY(bool notesVisible READ notesVisible NOTIFY changed)
    Q_PROPERTY(bool processing READ processing NOTIFY processingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY changed)
    Q_PROPERTY(std::optional<tavero::RecordingProject> currentProject READ currentProject NOTIFY changed)
    Q_PROPERTY(std::optional<QString> currentRawURL READ currentRawURL NOTIFY changed)
    Q_PROPERTY(std::optional<QString> currentOutputURL READ currentOutputURL NOTIFY changed)
    Q_PROPERTY(bool loadingProject READ loadingProject NOTIFY changed)

public:
    explicit RecordingStudio(RecordingHost& model, StudioParts parts = {}, QObject* parent = nullptr);
    ~RecordingStudio() override;

    // The set-up sheet shows; closing the sheet sets it back to false.
    bool setupVisible() const { return setupVisible_; }
    void setSetupVisible(bool visible);
    // The shareable windows and displays are being read.
    bool loadingTargets() const { return loadingTargets_; }
    // The sentence under the target picker.
    const std::optional<QString>& targetError() const { return targetError_; }
    RecordingScope scope() const { return scope_; }
    // Choosing the camera scope switches the camera on and starts it, also
    // when it already runs; leaving it switches nothing off.
    void setScope(RecordingScope scope);
    WebcamFeed& webcam() { return *webcam_; }
    // The camera picture is part of the next take.
    bool cameraEnabled() const { return cameraEnabled_; }
    // Switches the camera picture on (starting the feed, without microphone)
    // or off (stopping it).
    void setCameraEnabled(bool enabled);
    const CameraFraming& cameraFraming() const { return cameraFraming_; }
    // Saved on every assignment, unless the framing is invalid.
    void setCameraFraming(const CameraFraming& framing);
    const PortraitLayout& portrait() const { return portrait_; }
    // Hands the layout to the camera writer and moves the open picture (and,
    // during a take, the border) along.
    void setPortrait(const PortraitLayout& layout);
    quint32 windowID() const { return windowID_; }
    void setWindowID(quint32 id);
    quint32 displayID() const { return displayID_; }
    void setDisplayID(quint32 id);
    // Other programs' ordinary windows of at least 160 × 100 points, front to back.
    const QList<WindowInfo>& windows() const { return windows_; }
    const QList<DisplayInfo>& displays() const { return displays_; }
    const std::optional<CaptureRegion>& region() const { return region_; }
    void setRegion(std::optional<CaptureRegion> region);
    RecordingPhase phase() const { return phase_; }
    // Seconds recorded so far in the current take; finite, never negative.
    double elapsed() const { return elapsed_; }
    // Free bytes at the library folder as last measured; none when unknown.
    const std::optional<qint64>& availableDiskSpace() const { return availableDiskSpace_; }
    // The current stop belongs to a retake.
    bool isRetaking() const { return isRetaking_; }
    bool systemAudio() const { return systemAudio_; }
    void setSystemAudio(bool on);
    bool microphone() const { return microphone_; }
    void setMicrophone(bool on);
    MicrophoneAuthorization microphoneAuthorization() const { return microphoneAuthorization_; }
    // The system's microphone prompt is open.
    bool requestingMicrophone() const { return requestingMicrophone_; }
    // What the sound server offered when last asked; none when it is never
    // asked (the studio was built without a way to).
    const std::optional<SoundSources>& soundSources() const { return soundSources_; }
    // Why the sound the next take records cannot be had, as far as the
    // server was last asked: none when it can.
    std::optional<QString> soundIssue() const;
    // The smart-camera look of the next take and the next render.
    const RecordingEffects& effects() const { return effects_; }
    void setEffects(const RecordingEffects& effects);
    // The teleprompter is on for the next take.
    bool notesEnabled() const { return notesEnabled_; }
    void setNotesEnabled(bool on);
    const QString& notes() const { return notes_; }
    void setNotes(const QString& notes);
    bool notesScrolling() const { return notesScrolling_; }
    void setNotesScrolling(bool scrolling);
    double notesSpeed() const { return notesSpeed_; }
    void setNotesSpeed(double speed);
    double notesSize() const { return notesSize_; }
    void setNotesSize(double size);
    double notesTransparency() const { return notesTransparency_; }
    void setNotesTransparency(double transparency);
    // Raised to send the teleprompter's text back to the top.
    int notesReset() const { return notesReset_; }
    bool notesVisible() const { return notesVisible_; }
    // Shows or hides the teleprompter panel; its scrolling stays as it is.
    void toggleNotes();
    // Opens the teleprompter at the top of the notes, standing still.
    void previewNotes();
    // Hides the teleprompter panel and stops its scrolling.
    void hideNotes();
    // Sends the teleprompter's text back to the top.
    void rewindNotes();
    // A finished recording is being rendered.
    bool processing() const { return processing_; }
    double progress() const { return progress_; }
    const std::optional<RecordingProject>& currentProject() const { return currentProject_; }
    const std::optional<QString>& currentRawURL() const { return currentRawURL_; }
    const std::optional<QString>& currentOutputURL() const { return currentOutputURL_; }
    // The project beside an opened video is being read; the current clip
    // stays as it was until it arrives.
    bool loadingProject() const { return loadingProject_; }
    // The content the set-up sheet last read.
    const std::optional<ShareableContent>& content() const { return content_; }
    void setContent(std::optional<ShareableContent> content) { content_ = std::move(content); }

    // Stops the camera while no take is being prepared, made or ended.
    void closeCameraPreview();
    // Switches the portrait of a screen take with the camera to or from full
    // screen; nothing before the first such take and during a camera-only one.
    void togglePortraitFullScreen();

    // The record command: idle, it prepares a new take (or says that a render
    // runs); in every other phase it stops.
    void toggle(bool preferRegion);
    // Opens the set-up sheet and reads the windows and displays to offer;
    // with `preferRegion`, the last screenshot area is offered when its
    // display is still there.
    void prepare(bool preferRegion = false);
    // Lets the user drag the recording area on the selected display.
    void selectArea();

    std::optional<WindowInfo> selectedWindow() const;
    std::optional<DisplayInfo> selectedDisplay() const;
    // The current target in one line.
    QString targetName() const;
    // A window's label in the picker: its program and its title.
    static QString windowName(const WindowInfo& window);
    // The audio choices in one line, and whether the sound server last
    // found offers them: a microphone chosen but not found, or sound without
    // a server, is not said to be on.
    QString audioSummary() const;
    // Reads the microphone permission again, and asks the sound server what
    // it offers now.
    void refreshAudioAuthorization();
    void refreshDiskSpace();
    // The sentence that refuses a start for want of disk space, if any.
    std::optional<QString> diskStartIssue() const;
    // Whether the start button is enabled and a start goes ahead.
    bool canStart() const;

    // The set-up sheet's start: checks free space, the microphone's
    // permission and, with the sound server, the sound the take records
    // (soundIssue: no take starts without its microphone), starts
    // the camera first when the take shows it (and comes back here once it
    // runs, `cameraPrepared`), freezes the take's setup, opens the recording
    // windows and counts down 3, 2, 1 a second apart before the recorder
    // starts. A refusal leaves the studio idle with `targetError` saying why.
    void start(bool cameraPrepared = false);
    // Pauses a recording take or resumes a paused one. Pressed while a
    // pause or a resume is still under way, it acts once that step ends
    // (pressed twice meanwhile, not at all); nothing in other phases.
    void togglePause();
    // Retakes the current take while recording or paused, not twice: the
    // take is ended and saved, then moved to the Trash with its companion
    // files, and the same target is recorded again with the same settings
    // after a new countdown. A target that is gone meanwhile opens the
    // set-up sheet with the reason; a take that ended with a problem is kept
    // as after a plain stop.
    void restart();
    // Ends whatever runs in an orderly way; returns at once. A countdown is
    // cancelled with nothing left on disk; a take is saved.
    void stop();
    // Renders the finished video of the current clip from its raw
    // recording, with the current effects, into a new file in the library:
    // nothing while a render runs or without a project and raw recording;
    // refused for a camera take, a missing raw file or too little free
    // space. Free space is watched while it runs (the render stops below
    // 2 GB); the end is reported on the status line, and a finished video
    // gets the project beside it and beside the raw recording, becomes the
    // shown video and enters the library. Asked while the project of an
    // opened video is being read, it waits for that project.
    virtual void render();
    // Cancels a running render; the raw recording stays.
    void cancelExport();
    // Makes the project saved beside `videoPath` the current one, unless a
    // render runs: its raw recording (a file in the same folder), and the
    // opened file as the rendered one unless it is that raw recording. The
    // project is read on the library's queue, after the projects written
    // before; of several reads only the latest counts.
    virtual void loadProject(const QString& videoPath);

signals:
    void changed();
    void phaseChanged();
    void processingChanged();
    void setupVisibleChanged();
    // The area picker closed and the sheet is back, whatever its answer.
    void areaPickerClosed();

protected:
    // Moved only by the studio's own actions: a take, a render, the
    // microphone prompt.
    void setPhase(RecordingPhase phase);
    void setProcessing(bool processing);
    void setRequestingMicrophone(bool requesting) { publish(requestingMicrophone_, requesting); }

private:
    // The model, or null once it is gone.
    RecordingHost* model() const;
    // The recording windows, made on first use; null when the program has none.
    RecordingOverlay* overlay();
    // Every published assignment notifies, also of the value already held.
    template <typename T>
    void publish(T& field, T value) {
        field = std::move(value);
        emit changed();
    }
    static void storeSetting(const QString& key, const QVariant& value);

    void wireParts();
    Scheduler& scheduler() const { return *scheduler_; }
    void playSound(const QString& name) const;

    // Starting a take (TakeControls.cpp).
    void askForMicrophone();
    void refreshSoundSources();
    // The next take records what the computer plays.
    bool recordsSystemSound() const;
    void microphoneAnswered(bool granted);
    void cameraAnswered(bool ready);
    TakeTarget chooseTarget() const;
    QRectF boundsOf(const TakeTarget& target) const;
    void freezeSetup(const TakeTarget& target);
    void beginCountdown(const TakeTarget& target);
    void openTakeSound();
    void scheduleCountdownTick(const QUuid& token, std::shared_ptr<const TakeTarget> target);
    void countdownTicked(const QUuid& token, std::shared_ptr<const TakeTarget> target);
    void startRecorder(const TakeTarget& target);
    void takeBackground(const DisplayInfo& display, const ShareableContent& content, const QUuid& token);
    void backgroundWritten(const QUuid& token, const QString& file, bool written);
    void removeBackground();
    void didStart();
    void beginPause(RecordingHost& host);
    void beginResume(RecordingHost& host);
    // Acts on a pause key pressed while the step that just ended was under way.
    void togglePauseIfPressed();
    void scheduleElapsedTick();
    void elapsedTicked();
    void willFinish();
    void cancelCountdown();

    // Finishing a take (TakeFinish.cpp).
    void didFinish(Result<RecordedVideo> result);
    void cleanup();
    RecordingProject projectOf(const RecordedVideo& video, const QList<CursorSample>& samples) const;
    void keepTake(RecordingHost& host, const RecordedVideo& video, const RecordingProject& project,
                  std::shared_ptr<const std::optional<QString>> report);
    void addToLibrary(RecordingHost& host, const RecordedVideo& video,
                      std::shared_ptr<const std::optional<QString>> report, const RecordingProject& project);
    void addedToLibrary(const RecordedVideo& video, const std::optional<QString>& message,
                        const RecordingProject& project, bool added);

    // Retaking (Retake.cpp).
    void retakeAfterSaving(RecordingHost& host, const RecordedVideo& video, const RecordingProject& project);
    void retakeSaved(const RecordedVideo& video, const RecordingProject& project, const QUuid& token,
                     const std::optional<ShotError>& failure, const std::optional<CaptureRecord>& listed);
    void archive(const RecordedVideo& video, const RecordingProject& project, const QUuid& token,
                 const std::optional<CaptureRecord>& listed);
    void archived(const RecordedVideo& video, const QUuid& token, const std::optional<ShotError>& failure,
                  const std::optional<CaptureRecord>& listed);
    void refreshTargetForRetake(const QUuid& token);
    void retakeContentArrived(const QUuid& token, Result<ShareableContent> result);
    void restoreTakeSettings();
    bool retakeTargetExists() const;
    void startRetake();

    // Rendering (FinishedRender.cpp).
    void renderProgressed(double fraction);
    void renderFinished(SmartVideoExporter::Outcome outcome, const RecordingProject& project, const QString& raw);
    void renderSucceeded(RecordingHost& host, const QString& output, const RecordingProject& project,
                         const QString& raw);

    // The projects beside the videos (FinishedRender.cpp).
    void projectLoaded(quint64 read, const QString& videoPath, std::optional<RecordingProject> project);
    // Leaves the read under way unanswered: a project of the studio's own replaces it.
    void dropProjectRead();
    // Writes `project` beside each of `videos` in turn, stopping at the first
    // failure, on the library's queue.
    void saveProject(RecordingHost& host, const RecordingProject& project, const QStringList& videos,
                     std::function<void(std::optional<ShotError>)> done);

    void recorderPaused();
    void portraitChanged();
    void followedWindowMoved(const QRectF& pixels);
    void contentArrived(const QUuid& token, bool preferRegion, Result<ShareableContent> result);
    void areaSelected(Result<CaptureRegion> result);
    void chooseDefaultTargets(RecordingHost& model);

    RecordingHost* model_;
    QPointer<QObject> modelObject_;

    bool setupVisible_ = false;
    bool loadingTargets_ = false;
    std::optional<QString> targetError_;
    RecordingScope scope_ = RecordingScope::window;
    std::unique_ptr<WebcamFeed> webcam_;
    bool cameraEnabled_ = false;
    CameraFraming cameraFraming_;
    PortraitLayout portrait_;
    std::unique_ptr<PortraitOverlay> portraitOverlay_;
    quint32 windowID_ = 0;
    quint32 displayID_ = 0;
    QList<WindowInfo> windows_;
    QList<DisplayInfo> displays_;
    std::optional<CaptureRegion> region_;
    RecordingPhase phase_;
    double elapsed_ = 0;
    std::optional<qint64> availableDiskSpace_;
    bool isRetaking_ = false;
    bool systemAudio_ = true;
    bool microphone_ = false;
    MicrophoneAuthorization microphoneAuthorization_ = MicrophoneAuthorization::authorized;
    bool requestingMicrophone_ = false;
    std::optional<SoundSources> soundSources_;
    RecordingEffects effects_;
    bool notesEnabled_ = false;
    QString notes_;
    bool notesScrolling_ = false;
    double notesSpeed_ = 28;
    double notesSize_ = 27;
    double notesTransparency_ = 0.65;
    int notesReset_ = 0;
    bool notesVisible_ = false;
    bool processing_ = false;
    double progress_ = 0;
    std::optional<RecordingProject> currentProject_;
    std::optional<QString> currentRawURL_;
    std::optional<QString> currentOutputURL_;
    bool loadingProject_ = false;
    // Counts the project reads asked for; only the latest is wanted. Shared
    // with the library's queue, which skips a read no longer wanted.
    std::shared_ptr<std::atomic<quint64>> projectReads_ = std::make_shared<std::atomic<quint64>>(0);
    // A render was asked while a project was being read.
    bool renderAfterRead_ = false;
    std::optional<ShareableContent> content_;
    // Replaced by every preparation; an answer carrying another is stale.
    QUuid selectionToken_ = QUuid::createUuid();
    TakeSetup take_;
    std::unique_ptr<CursorRecorder> tracker_;
    std::unique_ptr<TakeRecorder> recorder_;
    std::unique_ptr<SmartVideoExporter> exporter_;
    std::function<std::unique_ptr<RecordingOverlay>(RecordingStudio&)> makeOverlay_;
    std::unique_ptr<RecordingOverlay> overlay_;
    std::unique_ptr<MicrophonePermission> microphonePermission_;
    std::function<void(const QString&)> playSound_;
    media::SoundRecorder::Open openSound_;
    std::function<SoundSources()> findSound_;
    // The running screen take's sound, from its countdown to its end.
    std::unique_ptr<media::TakeSoundCapture> takeSound_;
    Scheduler* scheduler_;
    // The next tick of the 1 s countdown and of the 0.2 s take clock.
    std::unique_ptr<ScheduledCall> countdownTimer_;
    std::unique_ptr<ScheduledCall> elapsedTimer_;
    // The teleprompter scrolled when the take was paused.
    bool notesWereScrolling_ = false;
    // The pause key was pressed an odd number of times while the current
    // pause or resume was under way.
    bool pauseTogglePending_ = false;
    // When free space was last measured during the take, and during the render.
    MonotonicTime lastDiskCheck_;
    MonotonicTime lastRenderDiskCheck_;
    // Set when the running render was stopped for want of space: the
    // sentence its end reports.
    std::optional<QString> exportSpaceIssue_;
};

}  // namespace tavero
