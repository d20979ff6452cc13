#pragma once

#include "camera/CameraFraming.h"
#include "camera/WebcamFeed.h"

#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

namespace tavero {


// The live camera picture seen through a CameraFraming. In output mode it
// shows what a camera-only take writes, fitted into the view; in source mode
// the whole picture with everything outside the crop darkened, a
// rule-of-thirds grid and a white frame on the crop, which a drag moves or,
// with drawsSelection, draws anew. It polls the feed ten times a second
// while shown and never owns the camera. Main thread.
class CameraFramingPreviewView : public QWidget {
    Q_OBJECT
public:
    using Changed = std::function<void(const CameraFraming& framing)>;
    using Finished = std::function<void()>;

    explicit CameraFramingPreviewView(QWidget* parent = nullptr);

    // Held weakly: a feed that goes away leaves the dark background.
    void setFeed(WebcamFeed* feed) { feed_ = feed; }
    const CameraFraming& framing() const { return framing_; }
    void setFraming(const CameraFraming& framing);
    bool mirrored() const { return mirrored_; }
    void setMirrored(bool mirrored);
    bool showsSource() const { return showsSource_; }
    void setShowsSource(bool source);
    bool drawsSelection() const { return drawsSelection_; }
    void setDrawsSelection(bool draws);
    // In output mode, a press drags the whole window.
    void setMoveWindow(bool move) { moveWindow_ = move; }
    // Told the new framing after every drag step.
    void setChanged(Changed changed) { changed_ = std::move(changed); }
    // Told when a free selection drag ends.
    void setSelectionFinished(Finished finished) { selectionFinished_ = std::move(finished); }

    // The redraw timer runs.
    bool redrawing() const { return timer_.isActive(); }
    // Where the picture was last drawn; empty before the first camera frame.
    QRectF imageRect() const { return imageRect_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void drawCropFrame(QPainter& painter) const;
    QPointF unitPoint(const QPointF& position) const;
    void refreshCursor();
    void dragTo(const QPointF& unit);

    QPointer<WebcamFeed> feed_;
    CameraFraming framing_;
    bool mirrored_ = true;
    bool showsSource_ = false;
    bool drawsSelection_ = false;
    bool moveWindow_ = false;
    Changed changed_;
    Finished selectionFinished_;
    QTimer timer_;
    QSizeF sourceSize_{1920, 1080};
    QRectF imageRect_;
    // Where the current drag began, in unit coordinates, and the framing then.
    std::optional<QPointF> down_;
    CameraFraming initial_;
    // Where a window drag began: the pointer on the screen and the window.
    std::optional<QPointF> windowGrip_;
    QPoint windowOrigin_;
};

}  // namespace tavero
