// Pictures and videos from outside the capture path: the open panels, files
// dropped or handed over, the history, and the practice picture. Pictures are
// decoded off the main thread and either open as a new document or join the
// current picture.
#include "app/model/AppModel.h"

#include "app/model/FileMessages.h"
#include "app/model/OpenedFile.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/OpenShotRequests.h"
#include "document/ShotDocument.h"
#include "library/EditableShot.h"
#include "library/LibraryMessages.h"
#include "platform/files/FileNames.h"
#include "platform/threads/Background.h"
#include "recording/studio/RecordingStudio.h"

#include <QFileInfo>
#include <QPointer>

namespace tavero {

void AppModel::observeOpenRequests() {
    connect(&OpenShotRequests::instance(), &OpenShotRequests::openShotURL, this, [this](const QUrl& url) {
        // Only files on this machine: the program opens no network connection.
        if (url.isLocalFile()) open(url.toLocalFile());
    });
}

void AppModel::chooseFile() { presentOpenPanel(false, false); }

void AppModel::chooseAppendFile(bool horizontal) { presentOpenPanel(true, horizontal); }

// The library folder, where the user's own captures are, once it exists;
// before the first capture, the Desktop that will hold it.
QString AppModel::openPanelDirectory() const {
    const QString root = library_->root();
    if (QFileInfo(root).isDir()) return root;
    return QFileInfo(root).absolutePath();
}

void AppModel::presentOpenPanel(bool append, bool horizontal) {
    if (busy_ || !openPanels_) return;
    OpenPanelRequest request;
    request.extensions = OpenedFile::imageExtensions();
    if (append) {
        request.title = FileMessages::appendTitle();
        request.prompt = FileMessages::appendPrompt();
        request.message = horizontal ? FileMessages::appendBeside() : FileMessages::appendBelow();
    } else {
        request.title = FileMessages::openTitle();
        request.prompt = FileMessages::openPrompt();
        request.message = FileMessages::openMessage();
        request.extensions += OpenedFile::videoExtensions;
    }
    request.extensions.append(projectExtension);
    request.directory = openPanelDirectory();
    QPointer<AppModel> self(this);
    openPanels_->present(request, [self, append, horizontal](const QString& path) {
        if (self) self->open(path, append, horizontal);
    });
}

void AppModel::open(const QString& path, bool append, bool horizontal) {
    if (busy_) return;
    setBusy(true);
    if (OpenedFile::isVideo(path)) return openVideo(path);
    const QString fallback = isProjectFile(path) ? library::messages::unreadableProject()
                                                 : ImageOps::messages::unreadable();
    // A large file takes a while to read or to refuse.
    setStatus(FileMessages::opening(fileNameOf(path)));
    runThenDeliver(
        this, [path] { return OpenedFile::read(path); },
        [this, path, append, horizontal](Result<OpenedFile> file) {
            fileRead(path, append, horizontal, std::move(file));
        },
        fallback);
}

// A video is shown as it is; its recording project, when one lies beside
// it, becomes the studio's. The status line names it as being opened until a
// look at the file finds a picture to show, or says that it has none.
void AppModel::openVideo(const QString& path) {
    setVideoURL(path);
    studio().loadProject(path);
    setBusy(false);
    setStatus(FileMessages::opening(fileNameOf(path)));
    invoke(showWindow_);
    checkVideo(path);
}

void AppModel::switchVideo(const QString& path) {
    setVideoURL(path);
    checkVideo(path);
}

void AppModel::checkVideo(const QString& path) {
    QPointer<AppModel> self(this);
    videoExports_.check(path, [self, path](Result<Done> readable) {
        if (self) self->videoChecked(path, readable);
    });
}

// Said only while the video is still shown, and only of it: the answer for
// a video shown before is no news of the one shown now. Any work started
// meanwhile keeps its busy flag, and a status said since stays.
void AppModel::videoChecked(const QString& path, const Result<Done>& readable) {
    if (videoURL_ != path) return;
    if (readable) {
        if (status_ == FileMessages::opening(fileNameOf(path))) setStatus(FileMessages::opened(fileNameOf(path)));
        return;
    }
    setError(readable.error().message());
    setStatus(readable.error().message());
    videoNote_ = status_;
}

void AppModel::fileRead(const QString& path, bool append, bool horizontal, Result<OpenedFile> result) {
    if (!result) return fail(result.error());
    OpenedFile file = std::move(result).value();
    setBusy(false);
    setVideoURL(std::nullopt);
    if (append && !document_->image().isNull()) {
        // The current marks are burnt in; an opened project's are dropped.
        transform([picture = file.image, horizontal](const QImage& current) {
            return ImageOps::combine(current, picture, horizontal, 0);
        });
    } else {
        document_->open(file.image, QFileInfo(path).completeBaseName(), file.marks);
    }
    changeFlow([](WorkspaceFlow& flow) { flow.openContent(false); });
    setStatus(FileMessages::opened(fileNameOf(path)));
    invoke(showWindow_);
}

void AppModel::demo() {
    if (busy_ || studio().phase().occupied()) return;
    setVideoURL(std::nullopt);
    document_->open(ImageOps::demo(), FileMessages::practicePicture(), {});
    document_->choose(MarkTool::arrow);
    changeFlow([](WorkspaceFlow& flow) { flow.openContent(true); });
    setStatus(FileMessages::practiceReady());
}

}  // namespace tavero
