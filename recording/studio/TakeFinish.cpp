// The end of a take: its one result becomes the project sidecar beside the
// video, a library entry, the video shown in the workspace and a report on
// the status line; then the render, or the retake that was asked for.
#include "recording/studio/RecordingStudio.h"

#include "library/LocalLibrary.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/studio/StudioMessages.h"

#include <QFileInfo>

namespace tavero {

namespace {

const QString pop = QStringLiteral("Pop");

// A camera take has its picture composed already: nothing is left to render.
RecordingEffects noEffects() {
    RecordingEffects effects;
    effects.autoZoom = false;
    effects.backgroundBlur = false;
    return effects;
}

}  // namespace

void RecordingStudio::cleanup() {
    selectionToken_ = QUuid::createUuid();
    setPhase(RecordingPhase::Kind::idle);
    elapsedTimer_.reset();
    countdownTimer_.reset();
    publish(notesScrolling_, false);
    publish(notesVisible_, false);
    if (RecordingOverlay* windows = overlay()) windows->close();
    if (portraitOverlay_) portraitOverlay_->close();
    webcam_->stop();
    takeSound_.reset();
    RecordingHost* host = model();
    if (!host) return;
    host->setRecording(false);
    host->setRecordingStarting(false);
    host->setRecordingDate(std::nullopt);
    host->updateMenu();
}

void RecordingStudio::didFinish(Result<RecordedVideo> result) {
    const QList<CursorSample> samples = tracker_->stop();
    const bool retakeAsked = isRetaking_;
    publish(isRetaking_, false);
    cleanup();
    RecordingHost* host = model();
    publish(availableDiskSpace_, host ? RecordingDiskSpace::available(host->library().root()) : std::nullopt);
    if (!host) return;
    // The files of a failed take are the recorder's to keep or remove.
    if (!result) {
        removeBackground();
        return host->fail(result.error());
    }
    const RecordedVideo& video = result.value();
    dropProjectRead();
    host->setVideoURL(video.url);
    publish(currentRawURL_, std::optional<QString>(video.url));
    publish(currentOutputURL_, std::optional<QString>());
    const RecordingProject project = projectOf(video, samples);
    publish(currentProject_, std::optional<RecordingProject>(project));
    // A camera take leaves the effects off; a screen take restores its own.
    setEffects(project.effects);
    // Only a clean take is retaken; any other is kept like a plain stop.
    if (retakeAsked && !video.interruption) return retakeAfterSaving(*host, video, project);
    auto report = std::make_shared<std::optional<QString>>();
    if (video.interruption)
        *report = StudioMessages::savedEarly(video.duration, *video.interruption, QFileInfo(video.url).fileName());
    // The project is written first on the library's queue, so a quit
    // meanwhile still leaves the video listed with its project; the save's
    // answer arrives first too and joins the report.
    saveProject(*host, project, {video.url}, [report](std::optional<ShotError> failure) {
        if (!failure) return;
        const QString before = *report ? **report + QLatin1Char('\n') : QString();
        *report = before + StudioMessages::projectNotSaved(failure->message());
    });
    keepTake(*host, video, project, report);
}

void RecordingStudio::keepTake(RecordingHost& host, const RecordedVideo& video, const RecordingProject& project,
                               std::shared_ptr<const std::optional<QString>> report) {
    addToLibrary(host, video, std::move(report), project);
    host.showWindow();
    playSound(pop);
}

RecordingProject RecordingStudio::projectOf(const RecordedVideo& video, const QList<CursorSample>& samples) const {
    RecordingProject project;
    project.version = 1;
    project.sourceFile = QFileInfo(video.url).fileName();
    project.targetName = take_.name;
    project.duration = video.duration;
    project.effects = take_.camera ? noEffects() : take_.effects;
    // Samples past the end would point the camera at nothing.
    for (const CursorSample& sample : samples)
        if (sample.time <= video.duration) project.samples.append(sample);
    project.backgroundFile = take_.backgroundFile;
    project.portraitBaked = take_.camera;
    if (take_.scope == RecordingScope::camera) project.cameraFraming = take_.cameraFraming;
    return project;
}

void RecordingStudio::addToLibrary(RecordingHost& host, const RecordedVideo& video,
                                   std::shared_ptr<const std::optional<QString>> report,
                                   const RecordingProject& project) {
    QPointer<RecordingStudio> self(this);
    QPointer<QObject> hostAlive = modelObject_;
    RecordingHost* hostPointer = &host;
    host.library().addVideo(video.url, [self, hostAlive, hostPointer, video, report,
                                        project](Result<CaptureRecord> record) {
        if (!hostAlive) return;
        hostPointer->saved(record);
        if (self) self->addedToLibrary(video, *report, project, record.ok());
    });
}

// Whatever needs attention is shown once the entry is in the history; the
// render starts only for a clip that is still the current one.
void RecordingStudio::addedToLibrary(const RecordedVideo& video, const std::optional<QString>& message,
                                     const RecordingProject& project, bool added) {
    RecordingHost* host = model();
    if (!host || currentRawURL_ != video.url) return;
    if (message) {
        host->setStatus(*message);
        host->setError(*message);
        return;
    }
    if (added && project.effects.enabled()) render();
}

}  // namespace tavero
