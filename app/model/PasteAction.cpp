// Paste opens what the clipboard holds: a picture at once, a file through
// open(), and says so when there is nothing it can open.
#include "app/model/AppModel.h"

#include "app/model/FileMessages.h"
#include "app/model/PastedContent.h"
#include "document/ShotDocument.h"

#include <QClipboard>
#include <QGuiApplication>

namespace tavero {

void AppModel::paste() {
    const PastedContent content = PastedContent::from(QGuiApplication::clipboard()->mimeData());
    switch (content.kind) {
    case PastedContent::Kind::picture:
        setVideoURL(std::nullopt);
        document_->open(content.picture, FileMessages::pastedPicture(), {});
        changeFlow([](WorkspaceFlow& flow) { flow.openContent(false); });
        setStatus(FileMessages::pasted());
        return;
    case PastedContent::Kind::tooLarge:
        return fail(ShotError(FileMessages::pastedTooLarge()));
    case PastedContent::Kind::file:
        return open(content.file);
    case PastedContent::Kind::nothing:
        return setStatus(FileMessages::nothingToPaste());
    }
}

}  // namespace tavero
