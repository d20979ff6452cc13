#include "document/ui/CanvasView.h"

#include "document/LabelSizes.h"
#include "document/ShotDocument.h"
#include "document/ui/CanvasTextEditor.h"

#include <QImage>
#include <QResizeEvent>

#include <algorithm>

namespace tavero {

namespace {

constexpr double counterDiscPerFontSize = 1.4;
constexpr double smallestCounterDisc = 36;
constexpr double smallestTextBox = 24;

}  // namespace

CanvasView::CanvasView(ShotDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("图片与标注"));
    setMouseTracking(true);
    setAcceptDrops(true);
    connect(&document_, &ShotDocument::changed, this, &CanvasView::documentChanged);
}

CanvasView::~CanvasView() {
    // The editor would otherwise report its loss of focus to a canvas that is
    // already half destroyed.
    if (textEditor_) {
        textEditor_->disconnect(this);
        delete textEditor_;
    }
}

// What the editor window does after every change of the document.
void CanvasView::documentChanged() {
    if (document_.zoom() <= 1.0 && !document_.actualPixels()) pan_ = QPointF();
    synchronizeTextEditor();
    if (!repaintingLocally_) update();
    updateCursor(mapFromGlobal(QCursor::pos()));
}

void CanvasView::updateCursor(const QPointF& position) {
    const bool crosshair = document_.tool() != MarkTool::move && imageRect().contains(position);
    setCursor(crosshair ? Qt::CrossCursor : Qt::ArrowCursor);
}

double CanvasView::backingScale() const { return devicePixelRatioF(); }

QRectF CanvasView::imageRect() const {
    const QImage& image = document_.image();
    if (image.isNull()) return {};
    // A canvas smaller than its margins shows nothing, rather than a mirrored picture.
    const double fit = std::max(
        std::min((width() - 2 * fitMargin) / image.width(), (height() - 2 * fitMargin) / image.height()), 0.0);
    // One image pixel per device pixel; fitting never enlarges beyond it.
    const double actual = 1.0 / backingScale();
    const double base = document_.actualPixels() ? actual : std::min(actual, fit);
    const double scale = base * document_.zoom();
    const QSizeF size(image.width() * scale, image.height() * scale);
    return QRectF(QPointF((width() - size.width()) / 2 + pan_.x(), (height() - size.height()) / 2 + pan_.y()), size);
}

std::optional<QPointF> CanvasView::point(const QPointF& position) const {
    const QImage& image = document_.image();
    const QRectF shown = imageRect();
    if (image.isNull() || shown.isEmpty()) return std::nullopt;
    const double x = (position.x() - shown.left()) * image.width() / shown.width();
    const double y = (position.y() - shown.top()) * image.height() / shown.height();
    // On the grid of marks' points, so the shift between two of them moves a
    // mark exactly.
    return onPointGrid(
        QPointF(std::clamp(x, 0.0, double(image.width())), std::clamp(y, 0.0, double(image.height()))));
}

QRectF CanvasView::boundsFor(const Mark& mark) {
    if (mark.points.isEmpty()) return {};
    const QPointF first = mark.points.first();
    if (mark.tool == MarkTool::text) {
        // Every click asks for the bounds of every mark: labels are measured once.
        const QSizeF text = LabelSizes::shared().size(mark);
        return QRectF(first, QSizeF(std::max(text.width(), smallestTextBox), std::max(text.height(), mark.fontSize)));
    }
    if (mark.tool == MarkTool::counter) {
        const double side = std::max(mark.fontSize * counterDiscPerFontSize, smallestCounterDisc);
        return QRectF(first.x() - side / 2, first.y() - side / 2, side, side);
    }
    double left = first.x(), top = first.y(), right = first.x(), bottom = first.y();
    for (const QPointF& point : mark.points) {
        left = std::min(left, point.x());
        top = std::min(top, point.y());
        right = std::max(right, point.x());
        bottom = std::max(bottom, point.y());
    }
    return QRectF(left, top, std::max(right - left, 1.0), std::max(bottom - top, 1.0));
}

QRectF CanvasView::viewRect(const QRectF& imageArea) const {
    const QRectF shown = imageRect();
    const QImage& image = document_.image();
    if (image.isNull()) return {};
    const double sx = shown.width() / image.width();
    const double sy = shown.height() / image.height();
    return QRectF(shown.left() + imageArea.left() * sx, shown.top() + imageArea.top() * sy, imageArea.width() * sx,
                  imageArea.height() * sy);
}

double CanvasView::imageUnitsPerPoint() const {
    const QRectF shown = imageRect();
    return shown.isEmpty() ? 1.0 : document_.image().width() / shown.width();
}

void CanvasView::updateImageArea(const QRectF& imageArea) {
    // Two points more on every side for antialiased edges.
    update(viewRect(imageArea).adjusted(-2, -2, 2, 2).toAlignedRect());
}

void CanvasView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutTextEditor();
}

}  // namespace tavero
