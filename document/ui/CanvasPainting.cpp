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
    const QList<Mark> marks = visibleMarks();
    const bool marksPainted = paintPicture(painter, shown, marks, event->region());
    // From here on, image pixels with a top-left origin.
    painter.translate(shown.topLeft());
    painter.scale(shown.width() / document_.image().width(), shown.height() / document_.image().height());
    if (!marksPainted) ImageOps::marks(marks, document_.image(), painter);
    paintDraft(painter);
    paintSelection(painter);
    paintInsertionBox(painter);
    painter.restore();
}

// Paints the picture, with its marks when a reduced copy with them is at
// hand; returns whether the marks are in it. A reduced picture is drawn on
// whole device pixels, so it is copied rather than resampled; at one device
// pixel per image pixel or more, the visible part of the image is drawn.
bool CanvasView::paintPicture(QPainter& painter, const QRectF& shown, const QList<Mark>& marks,
                              const QRegion& dirty) {
    const QImage& image = document_.image();
    const double scale = backingScale();
    const QSize devicePixels(qRound(shown.width() * scale), qRound(shown.height() * scale));
    if (devicePixels.isEmpty() || devicePixels.width() >= image.width()) {
        const double magnification = devicePixels.width() / double(image.width());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, magnification != std::round(magnification));
        painter.drawImage(shown, image);
        return false;
    }
    const QPointF aligned(std::round(shown.x() * scale) / scale, std::round(shown.y() * scale) / scale);
    const QImage* annotated = annotatedPicture(shown, devicePixels, marks, dirty);
    painter.drawImage(aligned, annotated ? *annotated : scaledImage_.scaled(image, devicePixels, scale));
    return annotated;
}

// The reduced picture with `marks`, painted again only when the whole picture
// is repainted. None while part of it is repainted after its marks changed
// (a mark being moved), and none for a picture larger than the canvas.
const QImage* CanvasView::annotatedPicture(const QRectF& shown, QSize devicePixels, const QList<Mark>& marks,
                                           const QRegion& dirty) {
    const QRect area = shown.toAlignedRect();
    if (!rect().contains(area)) return nullptr;
    const QImage& image = document_.image();
    AnnotatedPictureCache::Key key{image.cacheKey(), devicePixels, marks};
    if (const QImage* cached = annotatedPicture_.find(key)) return cached;
    if (!(QRegion(area) - dirty).isEmpty()) return nullptr;

    QImage picture = scaledImage_.scaled(image, devicePixels, backingScale());
    QPainter painter(&picture);
    painter.scale(shown.width() / image.width(), shown.height() / image.height());
    ImageOps::marks(marks, image, painter);
    painter.end();
    return &annotatedPicture_.store(std::move(key), std::move(picture));
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
