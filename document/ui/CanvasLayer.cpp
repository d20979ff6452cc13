#include "document/ui/CanvasLayer.h"

#include "document/ImageOps.h"
#include "document/LabelSizes.h"
#include "platform/threads/Background.h"
#include "platform/threads/MainThread.h"

#include <QPainter>
#include <QPointer>
#include <QTransform>

#include <cmath>
#include <exception>

namespace tavero {

namespace canvasLayers {

namespace {

QSize shownDevicePixels(const CanvasFrame& frame) {
    return QSize(qRound(frame.shown.width() * frame.devicePixelRatio),
                 qRound(frame.shown.height() * frame.devicePixelRatio));
}

// A reduced picture starts on a whole device pixel, so it is copied rather than resampled.
QPointF reducedOrigin(const CanvasFrame& frame) {
    const double scale = frame.devicePixelRatio;
    return QPointF(std::round(frame.shown.x() * scale) / scale, std::round(frame.shown.y() * scale) / scale);
}

void drawPicture(QPainter& painter, const CanvasFrame& frame, const QImage& image, ScaledImageCache& scaled) {
    if (!reduced(frame, image.size())) {
        const double magnification = shownDevicePixels(frame).width() / double(image.width());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, magnification != std::round(magnification));
        painter.drawImage(frame.shown, image);
        return;
    }
    painter.drawImage(reducedOrigin(frame), scaled.scaled(image, shownDevicePixels(frame), frame.devicePixelRatio));
}

// The part of the picture the layer shows, in image pixels.
QRectF partShown(const CanvasFrame& frame, const QTransform& imageToCanvas) {
    const QRectF canvas(QPointF(0, 0), QSizeF(frame.canvas) / frame.devicePixelRatio);
    return imageToCanvas.inverted().mapRect(frame.shown & canvas);
}

// Laying a long label out costs as much as drawing it, so a label wholly out
// of sight is passed over. Its glyphs reach at most about an em beyond the
// lines that hold them.
bool outOfSight(const Mark& mark, const QRectF& shown) {
    if (mark.tool != MarkTool::text || mark.points.isEmpty()) return false;
    const double reach = mark.fontSize;
    const QRectF box(mark.points.first(), LabelSizes::shared().size(mark));
    return !box.adjusted(-reach, -reach, reach, reach).intersects(shown);
}

}  // namespace

bool reduced(const CanvasFrame& frame, QSize imageSize) {
    const QSize devicePixels = shownDevicePixels(frame);
    return !devicePixels.isEmpty() && devicePixels.width() < imageSize.width();
}

QTransform imageToCanvas(const CanvasFrame& frame, QSize imageSize) {
    const QPointF origin = reduced(frame, imageSize) ? reducedOrigin(frame) : frame.shown.topLeft();
    QTransform transform;
    transform.translate(origin.x(), origin.y());
    transform.scale(frame.shown.width() / imageSize.width(), frame.shown.height() / imageSize.height());
    return transform;
}

QImage render(const CanvasFrame& frame, const QImage& image, ScaledImageCache& scaled,
              const std::function<bool()>& superseded) {
    // A drawing surface as the exported picture's, so labels measure the same.
    QImage layer = ImageOps::context(frame.canvas.width(), frame.canvas.height());
    layer.setDevicePixelRatio(frame.devicePixelRatio);
    QPainter painter(&layer);
    painter.fillRect(frame.shown, Qt::white);  // shows through transparent pictures
    painter.setClipRect(frame.shown, Qt::IntersectClip);
    drawPicture(painter, frame, image, scaled);
    const QTransform toCanvas = imageToCanvas(frame, image.size());
    const QRectF shown = partShown(frame, toCanvas);
    painter.setTransform(toCanvas, true);
    for (const Mark& mark : frame.marks) {
        if (superseded()) return {};
        if (!outOfSight(mark, shown)) ImageOps::marks({mark}, image, painter);
    }
    painter.end();
    return layer;
}

}  // namespace canvasLayers

CanvasLayerRenderer::CanvasLayerRenderer(QObject* context, std::function<void()> arrived)
    : context_(context), arrived_(std::move(arrived)) {}

void CanvasLayerRenderer::request(const CanvasFrame& frame, const QImage& image) {
    if (requested_ == frame) return;
    requested_ = frame;
    shared_->latest = ++generation_;
    Job job{generation_, frame, image};
    if (running_)
        waiting_ = std::move(job);
    else
        start(std::move(job));
}

// A layer being drawn stops at its next mark.
CanvasLayerRenderer::~CanvasLayerRenderer() { shared_->latest = 0; }

bool CanvasLayerRenderer::settled() const { return layer_ && requested_ && layer_->frame == *requested_; }

void CanvasLayerRenderer::start(Job job) {
    running_ = true;
    runInBackground([this, guard = QPointer<QObject>(context_), shared = shared_, job = std::move(job)] {
        QImage pixels;
        try {
            pixels = canvasLayers::render(job.frame, job.image, shared->scaled,
                                          [&] { return shared->latest != job.generation; });
        } catch (const std::exception&) {
            pixels = QImage();  // out of memory: the canvas keeps the layer it has
        }
        postToMain([this, guard, generation = job.generation, frame = job.frame, pixels = std::move(pixels)] {
            if (guard) finished(generation, frame, pixels);
        });
    });
}

void CanvasLayerRenderer::finished(quint64 generation, CanvasFrame frame, QImage pixels) {
    running_ = false;
    const bool latest = generation == generation_ && !pixels.isNull();
    const bool otherPicture = latest && (!layer_ || layer_->frame.image != frame.image);
    if (latest) layer_ = CanvasLayer{std::move(frame), std::move(pixels)};
    // The marks of the picture shown before are let go with its layer.
    if (otherPicture) LabelSizes::shared().forgetUnheld();
    if (waiting_) start(*std::exchange(waiting_, std::nullopt));
    if (latest) arrived_();
}

}  // namespace tavero
