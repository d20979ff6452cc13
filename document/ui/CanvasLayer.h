#pragma once

#include "document/Mark.h"
#include "document/ui/ScaledImageCache.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QSize>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace tavero {

// What one canvas layer shows: the picture with `marks`, laid out as the
// canvas shows it at one zoom and pan.
struct CanvasFrame {
    qint64 image = 0;          // QImage::cacheKey() of the unannotated picture
    QSize canvas;              // the canvas in device pixels
    double devicePixelRatio = 1;
    QRectF shown;              // where the picture lies, in canvas points
    QList<Mark> marks;

    friend bool operator==(const CanvasFrame&, const CanvasFrame&) = default;
    bool sameView(const CanvasFrame& other) const {
        return image == other.image && canvas == other.canvas && devicePixelRatio == other.devicePixelRatio &&
               shown == other.shown;
    }
};

// The picture with its marks over the whole canvas, transparent around it.
struct CanvasLayer {
    CanvasFrame frame;
    QImage pixels;  // at the frame's device pixel ratio
};

namespace canvasLayers {

// Whether the picture is drawn reduced (onto whole device pixels) rather than
// enlarged or at its actual pixels.
bool reduced(const CanvasFrame& frame, QSize imageSize);
// Canvas points of image pixels, as the layer draws its marks.
QTransform imageToCanvas(const CanvasFrame& frame, QSize imageSize);
// Draws the picture of `frame` (reduced through `scaled`) and its marks onto a
// transparent canvas, passing over labels wholly outside the part shown.
// Stops between marks, returning a null image, once `superseded` says nobody
// wants the layer any more.
QImage render(const CanvasFrame& frame, const QImage& image, ScaledImageCache& scaled,
              const std::function<bool()>& superseded);

}  // namespace canvasLayers

// Draws canvas layers off the main thread, one at a time: a newer request
// makes the layer being drawn stop early, and only the layer of the latest
// request is ever kept, so a stale layer never replaces a newer one.
// `arrived` runs on the main thread when a new layer is at hand. Lives on the
// main thread with the canvas that owns it; the worker gets copies only.
class CanvasLayerRenderer {
public:
    // `context` owns the renderer; layers arriving after it is gone are dropped.
    CanvasLayerRenderer(QObject* context, std::function<void()> arrived);
    ~CanvasLayerRenderer();
    CanvasLayerRenderer(const CanvasLayerRenderer&) = delete;
    CanvasLayerRenderer& operator=(const CanvasLayerRenderer&) = delete;

    // Starts drawing `frame` unless it is the latest frame asked for.
    void request(const CanvasFrame& frame, const QImage& image);
    // The layer of the latest frame drawn, if any.
    const std::optional<CanvasLayer>& layer() const { return layer_; }
    // Whether the layer at hand is that of the latest request.
    bool settled() const;

private:
    struct Job {
        quint64 generation = 0;
        CanvasFrame frame;
        QImage image;
    };
    // What the worker shares with the main thread.
    struct Shared {
        std::atomic<quint64> latest{0};  // 0 once the renderer is gone
        ScaledImageCache scaled;  // used by one job at a time
    };

    void start(Job job);
    void finished(quint64 generation, CanvasFrame frame, QImage pixels);

    QObject* context_;
    std::function<void()> arrived_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    quint64 generation_ = 0;
    std::optional<CanvasFrame> requested_;
    bool running_ = false;
    std::optional<Job> waiting_;
    std::optional<CanvasLayer> layer_;
};

}  // namespace tavero
