// The video workspace's exports: a GIF and a trimmed copy of the shown video,
// each written into the library folder under a new name.
#include "app/model/AppModel.h"

#include "app/model/FileMessages.h"

#include <QFileInfo>
#include <QPointer>
#include <QUuid>

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
    videoExports_.gif(*videoURL_, destination, [self](Result<QString> file) {
        if (self) self->gifExported(file);
    });
}

// The GIF stays out of the history; the note names it only while its video
// is shown.
void AppModel::gifExported(const Result<QString>& file) {
    setBusy(false);
    if (!file) return fail(file.error());
    setStatus(FileMessages::gifSaved(QFileInfo(file.value()).fileName()));
    videoNote_ = status_;
}

void AppModel::trimVideo(double start, double end) {
    if (!videoURL_ || busy_) return;
    setBusy(true);
    const QString destination = newLibraryFile(*library_, LocalLibrary::Prefix::trimmed, QStringLiteral(".mp4"));
    QPointer<AppModel> self(this);
    videoExports_.trim(*videoURL_, start, end, destination, [self](Result<QString> file) {
        if (self) self->videoTrimmed(file);
    });
}

// The workspace switches to the trimmed clip, which heads the history.
void AppModel::videoTrimmed(const Result<QString>& file) {
    setBusy(false);
    if (!file) return fail(file.error());
    setVideoURL(file.value());
    library_->addVideo(file.value(), whenSaved());
}

}  // namespace tavero
