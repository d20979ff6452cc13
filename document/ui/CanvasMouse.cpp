#include "document/ShotDocument.h"
#include "document/ui/CanvasView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineF>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tavero {

namespace {

constexpr double hitSlop = 12;      // image pixels around a mark that still hit it
constexpr double smallestCrop = 2;  // a crop must be wider and higher than this
constexpr double smallestMark = 1;  // a mark must be wider or higher than this
constexpr double pointsPerScrollLine = 20;

// How far beyond its points a mark's stroke may reach, in image pixels: the
// head of an arrow, half a line width for everything else (with room to spare).
double strokeReach(const Mark& mark) {
    if (mark.tool == MarkTool::arrow) return std::max(mark.width * 4, 15.0) + mark.width;
    return mark.width;
}

// A plain click adds nothing. A pen stroke is measured by all its points, so
// a loop drawn around something and closed where it began is kept.
bool spansAPixel(const Mark& draft) {
    const QRectF extent = draft.tool == MarkTool::pen ? CanvasView::boundsFor(draft) : draft.rect();
    return extent.width() > smallestMark || extent.height() > smallestMark;
}

// Points to pan by: a touchpad's own pixels, or three lines per wheel notch
// as Qt's scroll areas move.
QPointF scrollDelta(const QWheelEvent& event) {
    if (!event.pixelDelta().isNull()) return event.pixelDelta();
    return QPointF(event.angleDelta()) / QWheelEvent::DefaultDeltasPerStep * QApplication::wheelScrollLines() *
           pointsPerScrollLine;
}

}  // namespace

void CanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    press(event->position(), 1);
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    press(event->position(), 2);
}

void CanvasView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        drag(event->position());
    else
        updateCursor(event->position());
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    release();
}

void CanvasView::press(const QPointF& position, int clickCount) {
    // Taking the focus first ends an inline edit before anything else happens.
    setFocus(Qt::MouseFocusReason);
    const std::optional<QPointF> p = point(position);
    if (!p || !imageRect().contains(position)) return;

    const std::optional<Mark> hit = markAt(*p);
    if (hit && hit->tool == MarkTool::text && (document_.tool() == MarkTool::text || clickCount == 2)) {
        document_.choose(MarkTool::text);
        document_.select(hit->id);
        beginInlineText(hit->points.first(), true);
        return update();
    }
    switch (document_.tool()) {
    case MarkTool::move:
        document_.select(hit ? std::optional(hit->id) : std::nullopt);
        lastPoint_ = *p;
        didCheckpointMove_ = false;
        return update();
    case MarkTool::text:
        document_.newText();
        document_.placeText(*p);
        beginInlineText(*p, false);
        return update();
    default: return startMark(*p);
    }
}

void CanvasView::startMark(const QPointF& point) {
    Mark mark;
    mark.tool = document_.tool();
    mark.points = {point, point};
    mark.ink = document_.ink();
    mark.width = document_.lineWidth();
    mark.fontSize = document_.fontSize();
    if (mark.tool == MarkTool::pixelate) mark.obscure = document_.obscureSettings();
    // None is started once the picture holds all the marks it may; a crop adds no mark.
    if (mark.tool != MarkTool::crop && !document_.hasRoomFor(mark)) return;
    strokeStopped_ = false;
    if (mark.tool == MarkTool::counter) {
        // Numbered by how many counters there are, so the numbers follow deletions.
        const auto counters = std::count_if(document_.marks().cbegin(), document_.marks().cend(),
                                            [](const Mark& mark) { return mark.tool == MarkTool::counter; });
        mark.text = QString::number(counters + 1);
        return document_.add(mark);
    }
    draft_ = mark;
    updateMarkChange(mark, mark);
}

void CanvasView::drag(const QPointF& position) {
    const std::optional<QPointF> p = point(position);
    if (!p || moveSelectedMark(*p) || !draft_) return;
    if (draft_->tool == MarkTool::pen) return extendStroke(*p);
    const Mark before = *draft_;
    draft_->points[1] = *p;
    updateMarkChange(before, *draft_);
}

// A stroke stops growing at the points a mark, or the picture's marks
// together, may hold, and where the strokes reach the length they may have
// together; the status line says which, once a stroke.
void CanvasView::extendStroke(const QPointF& point) {
    if (draft_->points.size() >= markLimits::maxPoints) return stopStroke(EditLimit::strokePoints);
    if (draft_->points.size() >= document_.pointsLeft()) return stopStroke(EditLimit::projectPoints);
    const QPointF previous = draft_->points.last();
    QLineF piece(previous, point);
    const double lengthLeft = document_.strokeLengthLeft() - strokeLength({*draft_});
    if (std::ceil(piece.length()) > lengthLeft) {
        if (lengthLeft < 1) return stopStroke(EditLimit::strokeLength);
        piece.setLength(lengthLeft - 0.5);  // counted up to the whole pixel, it ends at the bound
    }
    draft_->points.append(onPointGrid(piece.p2()));
    // Only the new segment needs painting.
    const double reach = strokeReach(*draft_);
    updateImageArea(QRectF(previous, piece.p2()).normalized().adjusted(-reach, -reach, reach, reach));
}

void CanvasView::stopStroke(EditLimit limit) {
    if (std::exchange(strokeStopped_, true)) return;
    document_.reportLimit(limit);
}

// Moves the selected mark with the move tool; the first movement of a press
// records the one undo step of the whole drag.
bool CanvasView::moveSelectedMark(const QPointF& point) {
    if (document_.tool() != MarkTool::move || !lastPoint_ || !document_.selected()) return false;
    const QList<Mark>& marks = document_.marks();
    const auto found = std::find_if(marks.cbegin(), marks.cend(),
                                    [&](const Mark& mark) { return mark.id == *document_.selected(); });
    if (found == marks.cend()) return false;
    const Mark before = *found;
    if (!didCheckpointMove_) {
        document_.checkpoint();
        didCheckpointMove_ = true;
    }
    Mark moved = before;
    // A mark goes no further than a point of a project may lie.
    const QPointF delta = shiftWithinReach(before.points, point - *lastPoint_);
    for (QPointF& p : moved.points) p += delta;
    repaintingLocally_ = true;
    document_.setMarkPoints(moved.id, moved.points);
    repaintingLocally_ = false;
    updateMarkChange(before, moved);
    lastPoint_ = point;
    return true;
}

void CanvasView::release() {
    const std::optional<Mark> finished = std::exchange(draft_, std::nullopt);
    lastPoint_.reset();
    if (finished && finished->tool == MarkTool::crop) {
        const QRectF area = finished->rect();
        if (area.width() > smallestCrop && area.height() > smallestCrop) document_.crop(area);
    } else if (finished && spansAPixel(*finished)) {
        document_.add(*finished);
    }
    update();
}

void CanvasView::updateMarkChange(const Mark& before, const Mark& after) {
    // A spotlight darkens everything around it.
    if (before.tool == MarkTool::spotlight) return update();
    const auto area = [](const Mark& mark) {
        const double reach = strokeReach(mark) + selectionGrowth;
        return boundsFor(mark).adjusted(-reach, -reach, reach, reach);
    };
    updateImageArea(area(before) | area(after));
}

// The topmost mark whose bounds, grown by the slop, hold the point.
std::optional<Mark> CanvasView::markAt(const QPointF& point) const {
    const QList<Mark>& marks = document_.marks();
    for (auto mark = marks.crbegin(); mark != marks.crend(); ++mark)
        if (boundsFor(*mark).adjusted(-hitSlop, -hitSlop, hitSlop, hitSlop).contains(point)) return *mark;
    return std::nullopt;
}

void CanvasView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete: return document_.deleteSelected();
    case Qt::Key_Escape:
        draft_.reset();
        document_.select(std::nullopt);
        return update();
    default: return QWidget::keyPressEvent(event);  // on to the parent
    }
}

void CanvasView::wheelEvent(QWheelEvent* event) {
    if (document_.zoom() <= 1.0 && !document_.actualPixels()) return event->ignore();
    panBy(scrollDelta(*event));
    event->accept();
}

// Pans a zoomed picture at most half its overflow plus the margin each way.
void CanvasView::panBy(const QPointF& delta) {
    const QRectF shown = imageRect();
    const double limitX = std::max((shown.width() - width()) / 2 + fitMargin, 0.0);
    const double limitY = std::max((shown.height() - height()) / 2 + fitMargin, 0.0);
    pan_ = QPointF(std::clamp(pan_.x() + delta.x(), -limitX, limitX), std::clamp(pan_.y() + delta.y(), -limitY, limitY));
    layoutTextEditor();
    update();
}

}  // namespace tavero
