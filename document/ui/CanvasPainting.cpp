#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"

#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <cmath>

namespace tavero {

namespace {

const QColor canvasBackground = QColor::fromRgbF(0.91f, 0.93f, 0.92f);
constexpr double insertionBoxWidth = 180;
constexpr double insertionBoxHeightPerFontSize = 1.4;
// A large cover not filtered yet, while it is drawn or moved.
const QColor coverBeingFiltered = QColor::fromRgbF(0.86f, 0.88f, 0.87f, 0.9f);

}  // namespace

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), canvasBackground);
    if (document_.image().isNull()) return;

    const QRectF shown = imageRect();
    shadow_.paint(painter, shown, backingScale());
    const CanvasFrame wanted = wantedFrame();
    requestLayer(wanted);

    painter.save();
    paintLayer(painter, wanted);
    painter.setClipRect(shown, Qt::IntersectClip);
    paintPendingMarks(painter, wanted);
    // From here on, image pixels with a top-left origin.
    painter.translate(shown.topLeft());
    painter.scale(shown.width() / document_.image().width(), shown.height() / document_.image().height());
    paintDraft(painter);
    paintSelection(painter);
    paintInsertionBox(painter);
    painter.restore();
}

bool CanvasView::showsSettledPicture() {
    if (document_.image().isNull()) return true;
    const CanvasFrame wanted = wantedFrame();
    requestLayer(wanted);
    return layers_.layer() && layers_.layer()->frame == wanted;
}

// The layer the canvas should show now: the marks but the one being moved,
// which is drawn over the layer so that moving it draws no other mark again.
CanvasFrame CanvasView::wantedFrame() const {
    CanvasFrame frame;
    frame.image = document_.image().cacheKey();
    frame.devicePixelRatio = backingScale();
    frame.canvas = QSize(qRound(width() * frame.devicePixelRatio), qRound(height() * frame.devicePixelRatio));
    frame.shown = imageRect();
    frame.marks = visibleMarks();
    if (const std::optional<Mark> moving = movingMark())
        frame.marks.removeIf([&](const Mark& mark) { return mark.id == moving->id; });
    return frame;
}

void CanvasView::requestLayer(const CanvasFrame& frame) {
    if (frame.canvas.isEmpty() || frame.shown.isEmpty()) return;
    layers_.request(frame, document_.image());
}

// The layer of this view when it is at hand. Until it arrives, the picture
// drawn quickly and the last layer of the same picture moved and scaled to
// where the picture is now.
void CanvasView::paintLayer(QPainter& painter, const CanvasFrame& wanted) const {
    const std::optional<CanvasLayer>& layer = layers_.layer();
    if (layer && layer->frame.sameView(wanted)) return painter.drawImage(QPointF(0, 0), layer->pixels);

    painter.save();
    painter.fillRect(wanted.shown, Qt::white);
    painter.setClipRect(wanted.shown, Qt::IntersectClip);
    painter.drawImage(wanted.shown, document_.image());
    if (layer && layer->frame.image == wanted.image && !layer->frame.shown.isEmpty()) {
        const QRectF from = layer->frame.shown;
        QTransform move;
        move.translate(wanted.shown.x(), wanted.shown.y());
        move.scale(wanted.shown.width() / from.width(), wanted.shown.height() / from.height());
        move.translate(-from.x(), -from.y());
        painter.setTransform(move, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipRect(from, Qt::IntersectClip);
        painter.drawImage(QPointF(0, 0), layer->pixels);
    }
    painter.restore();
}

// Marks the layer at hand lacks, drawn over it until the layer with them
// arrives: a mark just drawn or changed, and the mark being moved. Each is
// bounded by what a mark may hold; beyond a few, the layer is awaited.
void CanvasView::paintPendingMarks(QPainter& painter, const CanvasFrame& wanted) const {
    const std::optional<CanvasLayer>& layer = layers_.layer();
    QList<Mark> pending;
    if (layer && layer->frame.image == wanted.image) pending = marksMissing(layer->frame.marks, wanted.marks);
    if (const std::optional<Mark> moving = movingMark()) pending.append(*moving);
    if (pending.isEmpty()) return;

    const QImage& image = document_.image();
    painter.save();
    painter.setTransform(canvasLayers::imageToCanvas(wanted, image.size()), true);
    for (const Mark& mark : pending) {
        if (mark.tool == MarkTool::pixelate && !ImageOps::obscureIsQuick(mark, image))
            painter.fillRect(mark.rect(), coverBeingFiltered);
        else
            ImageOps::marks({mark}, image, painter);
    }
    painter.restore();
}

// The marks of `wanted` that `shown` lacks or holds otherwise, in order; none
// when there are more than the canvas draws while it waits for a layer.
QList<Mark> CanvasView::marksMissing(const QList<Mark>& shown, const QList<Mark>& wanted) {
    if (shown == wanted) return {};
    QHash<QUuid, const Mark*> byId;
    byId.reserve(shown.size());
    for (const Mark& mark : shown) byId.insert(mark.id, &mark);
    QList<Mark> missing;
    for (const Mark& mark : wanted) {
        const Mark* found = byId.value(mark.id);
        if (found && *found == mark) continue;
        if (missing.size() == mostPendingMarks) return {};
        missing.append(mark);
    }
    return missing;
}

// The mark a move drag is carrying, once it has moved.
std::optional<Mark> CanvasView::movingMark() const {
    const std::optional<QUuid> selected = document_.selected();
    if (document_.tool() != MarkTool::move || !lastPoint_ || !didCheckpointMove_ || !selected) return std::nullopt;
    for (const Mark& mark : document_.marks())
        if (mark.id == *selected) return mark;
    return std::nullopt;
}

// Every mark but the label being typed, which the inline field shows.
QList<Mark> CanvasView::visibleMarks() const {
    if (!document_.isEditingText() || !textEditor_) return document_.marks();
    QList<Mark> visible = document_.marks();
    visible.removeIf([&](const Mark& mark) { return mark.tool == MarkTool::text && mark.id == document_.selected(); });
    return visible;
}

void CanvasView::paintDraft(QPainter& painter) const {
    if (!draft_) return;
    if (draft_->tool == MarkTool::crop)
        strokeDashed(painter, draft_->rect(), 2, 7, 5);
    else
        ImageOps::marks({*draft_}, document_.image(), painter);
}

void CanvasView::paintSelection(QPainter& painter) const {
    if (document_.isEditingText()) return;
    if (document_.tool() != MarkTool::move && document_.tool() != MarkTool::text) return;
    const std::optional<QUuid> selected = document_.selected();
    if (!selected) return;
    for (const Mark& mark : document_.marks()) {
        if (mark.id != *selected) continue;
        const QRectF bounds = boundsFor(mark);
        strokeDashed(painter, bounds.adjusted(-selectionGrowth, -selectionGrowth, selectionGrowth, selectionGrowth),
                     1.5, 6, 4);
        return;
    }
}

void CanvasView::paintInsertionBox(QPainter& painter) const {
    const std::optional<QPointF> insertion = document_.textInsertionPoint();
    if (textEditor_ || !insertion) return;
    const QRectF box(*insertion, QSizeF(insertionBoxWidth, document_.fontSize() * insertionBoxHeightPerFontSize));
    strokeDashed(painter, box, 1.5, 6, 4);
}

// A teal outline `widthInPoints` wide on screen whatever the zoom; the dash
// lengths are image pixels, while Qt counts them in pen widths.
void CanvasView::strokeDashed(QPainter& painter, const QRectF& rect, double widthInPoints, double on,
                              double off) const {
    const double width = widthInPoints * imageUnitsPerPoint();
    QPen pen(Ink::teal.color(), width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setDashPattern({on / width, off / width});
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    painter.restore();
}

}  // namespace tavero
