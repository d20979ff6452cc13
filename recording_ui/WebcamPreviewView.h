#pragma once

#include "camera/PortraitLayout.h"
#include "camera/WebcamFeed.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace tavero {


// The live camera picture filling the view, mirrored and rounded as the
// portrait is recorded: a circle as a circle (or a pill), any other shape
// and full screen with corners of 14 points. A press that moves more than 4
// points is a drag, which moves the view's window when it may (the floating
// portrait, not a thumbnail inside a sheet) and then reports the window's
// centre; a shorter one is a click. It polls the feed while shown and never owns the
// camera. Main thread.
class WebcamPreviewView : public QWidget {
    Q_OBJECT
public:
    using Clicked = std::function<void()>;
    // The centre of the window in global points, top-left origin.
    using Moved = std::function<void(const QPointF& centre)>;

    explicit WebcamPreviewView(QWidget* parent = nullptr);

    // Held weakly: a feed that goes away leaves the dark background.
    void setFeed(WebcamFeed* feed) { feed_ = feed; }
    const PortraitLayout& portrait() const { return portrait_; }
    void setPortrait(const PortraitLayout& layout);
    void setClicked(Clicked clicked) { clicked_ = std::move(clicked); }
    void setMoved(Moved moved) { moved_ = std::move(moved); }
    // A drag moves the whole window.
    void setMoveWindow(bool move) { moveWindow_ = move; }

    // The rounding of the view's corners for the current portrait and size.
    double cornerRadius() const;
    // The redraw timer runs.
    bool redrawing() const { return timer_.isActive(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPointer<WebcamFeed> feed_;
    PortraitLayout portrait_;
    Clicked clicked_;
    Moved moved_;
    QTimer timer_;
    // The press: where the pointer and the window were, and whether it has
    // become a drag.
    QPointF down_;
    QPoint origin_;
    bool dragged_ = false;
    bool moveWindow_ = false;
};

}  // namespace tavero
