// Image jobs that replace the document's picture: transforms of the rendered
// picture and background frames. They run on the worker pool and apply their
// result only while the document's revision is the one they started from, so
// an edit the user makes meanwhile always wins.
#include "app/model/AppModel.h"

#include "app/model/RenderMessages.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "platform/threads/Background.h"

namespace tavero {

void AppModel::transform(ImageOperation operation) {
    // Ending the text edit may remove an emptied label and raise the
    // revision; read before it, that would cancel the job for no change made
    // after the request.
    endTextEditing();
    const qint64 revision = document_->revision();
    renderThen([this, revision, operation = std::move(operation)](const QImage& rendered) {
        setBusy(true);
        runThenDeliver(
            this, [operation, rendered] { return operation(rendered); },
            [this, revision](Result<QImage> result) { transformed(result, revision); },
            ImageOps::messages::cannotRender());
    });
}

void AppModel::transformed(const Result<QImage>& result, qint64 revision) {
    if (!result) return fail(result.error());
    setBusy(false);
    if (document_->revision() != revision) return setStatus(RenderMessages::processingDropped());
    document_->replace(result.value());
    setStatus(RenderMessages::processed());
}

void AppModel::applyBackground(const QImage& image, const FrameOptions& options, qint64 revision) {
    if (busy_) return;
    setBusy(true);
    setStatus(RenderMessages::addingBackground());
    runThenDeliver(
        this, [image, options] { return ImageOps::framed(image, options, 1.0); },
        [this, preset = options.preset, revision](Result<QImage> result) { framed(result, preset, revision); },
        ImageOps::messages::cannotRender());
}

void AppModel::framed(const Result<QImage>& result, FramePreset preset, qint64 revision) {
    if (!result) return fail(result.error());
    setBusy(false);
    if (document_->revision() != revision) return setStatus(RenderMessages::backgroundDropped());
    document_->replace(result.value());
    changeFlow([](WorkspaceFlow& flow) { flow.framed(); });
    // The framed picture is larger: show it whole.
    document_->setActualPixels(false);
    document_->setZoom(1.0);
    setStatus(RenderMessages::backgroundAdded(preset));
}

}  // namespace tavero
