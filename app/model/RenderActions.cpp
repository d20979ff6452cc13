// The actions that need the picture as the user sees it: rendering runs on
// the worker pool, and saving, copying and text recognition take the picture
// rendered when they started, whatever happens to the document afterwards.
#include "app/model/AppModel.h"

#include "app/model/RenderMessages.h"
#include "document/ImageMessages.h"
#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "platform/text/TextRecognition.h"
#include "platform/threads/Background.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace tavero {

namespace {

const QString pngType = QStringLiteral("image/png");

}  // namespace

void AppModel::endTextEditing() {
    invoke(resignFirstResponder_);
    document_->endTextInput(false);
}

void AppModel::renderThen(RenderedBody body) {
    endTextEditing();
    if (document_->image().isNull() || busy_) return;
    const QImage image = document_->image();
    const QList<Mark> marks = document_->marks();
    setBusy(true);
    runThenDeliver(
        this, [image, marks] { return ImageOps::render(image, marks); },
        [this, body = std::move(body)](Result<QImage> result) { rendered(result, body); },
        ImageOps::messages::cannotRender());
}

void AppModel::rendered(const Result<QImage>& result, const RenderedBody& body) {
    if (!result) return fail(result.error());
    setBusy(false);
    body(result.value());
}

void AppModel::save(const QString& type) {
    renderThen([this, type](const QImage& rendered) {
        library_->persist(rendered, LocalLibrary::Prefix::annotated, type, whenSaved());
    });
}

// The picture as it is, unrendered, and its marks; no busy check, since
// nothing is rendered and the document is only read.
void AppModel::saveProject() {
    endTextEditing();
    if (document_->image().isNull()) return;
    QPointer<AppModel> self(this);
    library_->saveProject(document_->image(), document_->marks(), [self](Result<QString> path) {
        if (!self) return;
        if (!path) return self->fail(path.error());
        self->setStatus(RenderMessages::projectSaved(QFileInfo(path.value()).fileName()));
    });
}

void AppModel::copy() {
    renderThen([this](const QImage& rendered) {
        runThenDeliver(
            this, [rendered] { return ImageOps::png(rendered, QStringLiteral("png")); },
            [this](Result<QByteArray> png) { putOnClipboard(png); }, ImageOps::messages::encodingFailed());
    });
}

// Exactly one item, PNG: a program pasting it gets the picture as drawn.
void AppModel::putOnClipboard(const Result<QByteArray>& png) {
    if (!png) return fail(png.error());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto* data = new QMimeData;
    data->setData(pngType, png.value());
    clipboard->setMimeData(data);
    setStatus(RenderMessages::copied());
    changeFlow([](WorkspaceFlow& flow) { flow.shared(); });
}

void AppModel::ocr() {
    renderThen([this](const QImage& rendered) {
        setBusy(true);
        setStatus(RenderMessages::recognizing());
        runThenDeliver(
            this, [rendered] { return TextRecognition::recognizeLines(rendered).join(QLatin1Char('\n')); },
            [this](Result<QString> text) { recognized(text); }, RenderMessages::recognitionFailed());
    });
}

void AppModel::recognized(const Result<QString>& text) {
    if (!text) return fail(text.error());
    setBusy(false);
    setOcrText(text.value());
    setShowOCR(true);
    setStatus(text.value().isEmpty() ? RenderMessages::nothingRecognized() : RenderMessages::recognized());
}

}  // namespace tavero
