// The video workspace's exports: a GIF and a trimmed copy of the shown video,
// each written into the library folder under a new name.
#include "app/model/AppModel.h"

#include "app/model/FileMessages.h"
#include "recording/RecordingMessages.h"

#include <QFileInfo>
#include <QPointer>
#include <QUuid>

#include <cmath>

namespace tavero {

namespace {

QString newLibraryFile(const LocalLibrary& library, const QString& prefix, const QString& extension) {
    return library.root() + QLatin1Char('/') + LocalLibrary::filename(prefix, QUuid::createUuid()) + extension;
}

}  // namespace

void AppModel::exportGIF() {
    if (!videoURL_ || busy_) return;
    setBusy(true);
    setStatus(FileMessages::exportingGif());
    const QString destination = newLibraryFile(*library_, LocalLibrary::Prefix::gif, QStringLiteral(".gif"));
    QPointer<AppModel> self(this);
    videoExports_.gif(*videoURL_, destination, [self, source = *videoURL_](Result<QString> file) {
        if (self) self->gifExported(source, file);
    });
}

// The GIF stays out of the history; the note names it only while its video
// is shown.
void AppModel::gifExported(const QString& source, const Result<QString>& file) {
    setBusy(false);
    if (!file) return exportFailed(source, file.error());
    setStatus(FileMessages::gifSaved(QFileInfo(file.value()).fileName()));
    videoNote_ = status_;
}

void AppModel::trimVideo(double start, double end) {
    if (!videoURL_ || busy_) return;
    if (std::isnan(start) || std::isnan(end))
        return exportFailed(*videoURL_, ShotError(RecordingMessages::trimRangeInvalid()));
    setBusy(true);
    const QString destination = newLibraryFile(*library_, LocalLibrary::Prefix::trimmed, QStringLiteral(".mp4"));
    QPointer<AppModel> self(this);
    videoExports_.trim(*videoURL_, start, end, destination, [self, source = *videoURL_](Result<QString> file) {
        if (self) self->videoTrimmed(source, file);
    });
}

// The workspace switches to the trimmed clip, which heads the history. A
// clip the history cannot list is removed again with the failure.
void AppModel::videoTrimmed(const QString& source, const Result<QString>& file) {
    setBusy(false);
    if (!file) return exportFailed(source, file.error());
    const QString trimmed = file.value();
    setVideoURL(trimmed);
    QPointer<AppModel> self(this);
    library_->addVideo(
        trimmed,
        [self, source, trimmed](Result<CaptureRecord> record) {
            if (self) self->trimListed(source, trimmed, record);
        },
        LocalLibrary::IfUnlisted::remove);
}

void AppModel::exportFailed(const QString& source, const ShotError& error) {
    fail(error);
    if (videoURL_ == source) videoNote_ = status_;
}

// The clip is gone: the workspace goes back to the video it was cut from.
void AppModel::trimListed(const QString& source, const QString& trimmed, const Result<CaptureRecord>& record) {
    if (record) return saved(record);
    if (videoURL_ == trimmed) setVideoURL(source);
    saved(ShotError(FileMessages::trimNotListed(record.error().message())));
}

}  // namespace tavero
