#include "document/ImageOps.h"
#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace tavero {

namespace {

const QColor canvasBackground = QColor::fromRgbF(0.91f, 0.93f, 0.92f);
constexpr double insertionBoxWidth = 180;
constexpr double insertionBoxHeightPerFontSize = 1.4;

}  // namespace

void CanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), canvasBackground);
    if (document_.image().isNull()) return;

    const QRectF shown = imageRect();
    shadow_.paint(painter, shown, backingScale());
    painter.fillRect(shown, Qt::white);  // shows through transparent pictures

    painter.save();
    painter.setClipRect(shown, Qt::IntersectClip);
    paintImage(painter, shown);
    // From here on, image pixels with a top-left origin.
    painter.translate(shown.topLeft());
    painter.scale(shown.width() / document_.image().width(), shown.height() / document_.image().height());
    paintMarks(painter);
    paintDraft(painter);
    paintSelection(painter);
    paintInsertionBox(painter);
    painter.restore();
}

// A reduced picture comes from the copy cached for its size, drawn on whole
// device pixels so it is copied rather than resampled. At one device pixel
// per image pixel or more, the visible part of the image itself is drawn.
void CanvasView::paintImage(QPainter& painter, const QRectF& shown) {
    const QImage& image = document_.image();
    const double scale = backingScale();
    const QSize devicePixels(qRound(shown.width() * scale), qRound(shown.height() * scale));
    if (devicePixels.width() < image.width() && !devicePixels.isEmpty()) {
        const QPointF aligned(std::round(shown.x() * scale) / scale, std::round(shown.y() * scale) / scale);
        painter.drawImage(aligned, scaledImage_.scaled(image, devicePixels, scale));
        return;
    }
    const double magnification = devicePixels.width() / double(image.width());
    painter.setRenderHint(QPainter::SmoothPixmapTransform, magnification != std::round(magnification));
    painter.drawImage(shown, image);
}

void CanvasView::paintMarks(QPainter& painter) const {
    // The label being typed is shown by the inline editor instead.
    const bool editingLabel = document_.isEditingText() && textEditor_;
    if (!editingLabel) return ImageOps::marks(document_.marks(), document_.image(), painter);
    QList<Mark> visible;
    visible.reserve(document_.marks().size());
    for (const Mark& mark : document_.marks()) {
        if (mark.tool != MarkTool::text || mark.id != document_.selected()) visible.append(mark);
    }
    ImageOps::marks(visible, document_.image(), painter);
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
