// The finished video: rendering the current clip's raw recording with the
// smart camera, watching free space while it runs, and what its end
// publishes; which raw recording, project and rendered file belong to a
// video the user opens; and the reading and writing of those projects, which
// hold the pointer track of a whole take (tens of megabytes for hours), on
// the library's queue.
#include "recording/studio/RecordingStudio.h"

#include "library/LibraryMessages.h"
#include "library/LocalLibrary.h"
#include "recording/RecordingDiskSpace.h"
#include "recording/studio/StudioMessages.h"

#include <QDir>
#include <QFileInfo>

namespace tavero {

namespace {

constexpr Seconds diskCheckSpacing{2.0};

QString cleanAbsolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

void RecordingStudio::render() {
    if (loadingProject_ && !processing_) {
        renderAfterRead_ = true;
        return;
    }
    RecordingHost* host = model();
    if (processing_ || !currentProject_ || !currentRawURL_ || !host || !exporter_) return;
    if (currentProject_->portraitBaked.value_or(false)) return host->setStatus(StudioMessages::portraitBaked());
    RecordingProject project = *currentProject_;
    project.effects = effects_;
    const QString raw = *currentRawURL_;
    if (!QFileInfo::exists(raw)) return host->fail(ShotError(StudioMessages::rawMissing()));
    const QString root = host->library().root();
    publish(availableDiskSpace_, RecordingDiskSpace::available(root));
    // A size that cannot be read counts nothing, as an unknown free space does.
    const qint64 sourceBytes = std::max<qint64>(0, QFileInfo(raw).size());
    if (std::optional<QString> issue = RecordingDiskSpace::exportIssue(availableDiskSpace_, sourceBytes))
        return host->setStatus(*issue);
    const QString destination =
        QDir(root).filePath(LocalLibrary::filename(LocalLibrary::Prefix::finished, QUuid::createUuid()) +
                            QStringLiteral(".mp4"));
    setProcessing(true);
    publish(progress_, 0.0);
    exportSpaceIssue_.reset();
    lastRenderDiskCheck_ = scheduler().now();
    host->setStatus(StudioMessages::rendering());
    QPointer<RecordingStudio> self(this);
    exporter_->exportVideo(
        raw, destination, project,
        [self](double fraction) {
            if (self) self->renderProgressed(fraction);
        },
        [self, project, raw](SmartVideoExporter::Outcome outcome) {
            if (self) self->renderFinished(std::move(outcome), project, raw);
        });
}

// Free space is read at most every 2 s, and never for the last report.
void RecordingStudio::renderProgressed(double fraction) {
    publish(progress_, fraction);
    const MonotonicTime now = scheduler().now();
    if (!(fraction < 1.0) || now - lastRenderDiskCheck_ < diskCheckSpacing) return;
    lastRenderDiskCheck_ = now;
    RecordingHost* host = model();
    publish(availableDiskSpace_, host ? RecordingDiskSpace::available(host->library().root()) : std::nullopt);
    if (!RecordingDiskSpace::shouldStop(availableDiskSpace_)) return;
    exportSpaceIssue_ = StudioMessages::renderStoppedForSpace();
    exporter_->cancel();
}

// A render that did not finish leaves every file and the current clip as
// they were; only the status line tells why.
void RecordingStudio::renderFinished(SmartVideoExporter::Outcome outcome, const RecordingProject& project,
                                     const QString& raw) {
    setProcessing(false);
    RecordingHost* host = model();
    if (!host) return;
    if (const QString* output = std::get_if<QString>(&outcome)) return renderSucceeded(*host, *output, project, raw);
    if (exportSpaceIssue_)
        host->setStatus(*exportSpaceIssue_);
    else if (std::holds_alternative<SmartVideoExporter::Cancelled>(outcome))
        host->setStatus(StudioMessages::renderCancelled());
    else
        host->setStatus(StudioMessages::renderFailed(std::get<ShotError>(outcome).message()));
}

// The raw recording's project is written only once the rendered file has
// one, so a failure never leaves the raw side ahead of the rendered one. Both
// are written in turn before the video is listed, so a quit meanwhile still
// leaves all three on disk.
void RecordingStudio::renderSucceeded(RecordingHost& host, const QString& output, const RecordingProject& project,
                                      const QString& raw) {
    publish(currentProject_, std::optional<RecordingProject>(project));
    QPointer<QObject> hostAlive = modelObject_;
    RecordingHost* hostPointer = &host;
    saveProject(host, project, {output, raw}, [hostAlive, hostPointer](std::optional<ShotError> failure) {
        if (failure && hostAlive) hostPointer->setStatus(StudioMessages::renderProjectNotSaved());
    });
    publish(currentOutputURL_, std::optional<QString>(output));
    host.setVideoURL(output);
    host.library().addVideo(output, [hostAlive, hostPointer](Result<CaptureRecord> record) {
        if (hostAlive) hostPointer->saved(record);
    });
    host.showWindow();
}

void RecordingStudio::cancelExport() {
    if (exporter_) exporter_->cancel();
}

// RecordingProject::load refuses a sidecar naming anything but a file in its
// own folder, so the raw recording found here never lies elsewhere.
void RecordingStudio::loadProject(const QString& videoPath) {
    RecordingHost* host = model();
    if (processing_ || !host) return;
    const quint64 read = ++*projectReads_;
    publish(loadingProject_, true);
    QPointer<RecordingStudio> self(this);
    host->library().runInTurn<std::optional<RecordingProject>>(
        [reads = projectReads_, read, videoPath]() -> std::optional<RecordingProject> {
            if (*reads != read) return std::nullopt;
            return RecordingProject::load(videoPath);
        },
        [self, read, videoPath](Result<std::optional<RecordingProject>> project) {
            if (self) self->projectLoaded(read, videoPath, project ? project.value() : std::nullopt);
        },
        library::messages::operationFailed());
}

// A render asked while the project was read starts with it.
void RecordingStudio::projectLoaded(quint64 read, const QString& videoPath, std::optional<RecordingProject> project) {
    if (*projectReads_ != read) return;
    publish(loadingProject_, false);
    const QString opened = cleanAbsolute(videoPath);
    std::optional<QString> raw;
    if (project) raw = cleanAbsolute(QFileInfo(opened).dir().filePath(project->sourceFile));
    publish(currentProject_, project);
    publish(currentRawURL_, raw);
    publish(currentOutputURL_, raw == opened ? std::nullopt : std::optional<QString>(videoPath));
    if (project) setEffects(project->effects);
    if (std::exchange(renderAfterRead_, false)) render();
}

void RecordingStudio::dropProjectRead() {
    ++*projectReads_;
    renderAfterRead_ = false;
    if (loadingProject_) publish(loadingProject_, false);
}

void RecordingStudio::saveProject(RecordingHost& host, const RecordingProject& project, const QStringList& videos,
                                  std::function<void(std::optional<ShotError>)> done) {
    host.library().runInTurn<Done>(
        [project, videos] {
            for (const QString& video : videos) project.save(video);
            return Done{};
        },
        [done = std::move(done)](Result<Done> saved) {
            done(saved ? std::nullopt : std::optional<ShotError>(saved.error()));
        },
        library::messages::operationFailed());
}

}  // namespace tavero
