#pragma once

#include "document/EditLimit.h"
#include "document/Mark.h"
#include "document/ui/CanvasLayer.h"
#include "document/ui/CanvasShadow.h"
#include "document/ui/CanvasTextEditor.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <optional>

namespace tavero {

class ShotDocument;

// The picture in the middle of the editor window. It draws the document's
// image and marks at the current zoom and turns presses, drags, keys, the
// wheel and drops into document operations.
//
// It owns no document state: it keeps only the mark being drawn (until the
// release adds it), the pan offset of a zoomed picture, the picture with
// its marks as last drawn off the main thread, and, while a label is typed, the inline text editor. It observes the
// document's changed() and then re-centres a fitted picture, brings the
// editor in line, repaints and updates the pointer.
// Main thread only.
class CanvasView : public QWidget {
    Q_OBJECT

public:
    explicit CanvasView(ShotDocument& document, QWidget* parent = nullptr);
    ~CanvasView() override;

    // Where the image is shown, in widget coordinates; empty without an image.
    QRectF imageRect() const;
    // The image pixel under a widget position, clamped onto the image and on
    // the grid of marks' points (onPointGrid); none without an image or while
    // the picture takes no room.
    std::optional<QPointF> point(const QPointF& position) const;
    // The hit and outline rectangle of a mark, in image pixels; a label's
    // text is measured once (LabelSizes), not at every call.
    static QRectF boundsFor(const Mark& mark);

    // Inline text editing of labels.
    void beginInlineText(const QPointF& imagePoint, bool selectAll);
    void finishInlineText(bool cancelled);
    void synchronizeTextEditor();
    // The open inline editor, if any.
    CanvasTextEditor* textEditor() const { return textEditor_; }

    // Whether the canvas shows the picture with every mark as drawn off the
    // main thread for the document and view as they are now; starts drawing
    // it when not. A change shows only once the new layer arrives.
    bool showsSettledPicture();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr double fitMargin = 24;       // points between a fitted picture and the canvas edge
    static constexpr double selectionGrowth = 8;  // image pixels between a selected mark and its outline
    static constexpr qsizetype mostPendingMarks = 2;  // changed marks drawn while a layer is awaited

    void documentChanged();
    void updateCursor(const QPointF& position);
    double backingScale() const;
    // Widget coordinates of an area given in image pixels.
    QRectF viewRect(const QRectF& imageArea) const;
    // Image pixels covered by one view point at the current scale.
    double imageUnitsPerPoint() const;
    // Repaints the part of the widget that shows `imageArea`.
    void updateImageArea(const QRectF& imageArea);
    // Repaints what a mark covered before a change and covers after it.
    void updateMarkChange(const Mark& before, const Mark& after);

    // Painting.
    CanvasFrame wantedFrame() const;
    void requestLayer(const CanvasFrame& frame);
    void paintLayer(QPainter& painter, const CanvasFrame& wanted) const;
    void paintPendingMarks(QPainter& painter, const CanvasFrame& wanted) const;
    static QList<Mark> marksMissing(const QList<Mark>& shown, const QList<Mark>& wanted);
    std::optional<Mark> movingMark() const;
    QList<Mark> visibleMarks() const;
    void paintDraft(QPainter& painter) const;
    void paintSelection(QPainter& painter) const;
    void paintInsertionBox(QPainter& painter) const;
    void strokeDashed(QPainter& painter, const QRectF& rect, double widthInPoints, double on, double off) const;

    // Mouse.
    void press(const QPointF& position, int clickCount);
    void startMark(const QPointF& point);
    void drag(const QPointF& position);
    void extendStroke(const QPointF& point);
    void stopStroke(EditLimit limit);
    bool moveSelectedMark(const QPointF& point);
    void release();
    std::optional<Mark> markAt(const QPointF& point) const;
    void panBy(const QPointF& delta);

    // Inline text.
    void layoutTextEditor();
    void removeTextEditor();
    void textDidChange();
    bool cutTextToLimit();
    void styleTextEditor();

    ShotDocument& document_;
    std::optional<Mark> draft_;
    std::optional<QPointF> lastPoint_;
    bool didCheckpointMove_ = false;
    // The draft stroke reached a bound, and the status line was told.
    bool strokeStopped_ = false;
    QPointF pan_;
    QPointer<CanvasTextEditor> textEditor_;
    QPointF textEditorOrigin_;
    bool finishingTextInput_ = false;
    // Set while a move drag writes the marks, which repaints only the area
    // the mark left and entered instead of the whole picture.
    bool repaintingLocally_ = false;
    CanvasLayerRenderer layers_{this, [this] { update(); }};
    CanvasShadow shadow_;
};

}  // namespace tavero
