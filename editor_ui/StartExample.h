#pragma once

#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

namespace tavero {

// The small picture in a start-screen task card, drawn from shapes: a
// miniature window on a soft gradient. The screenshot picture adds a still
// annotation arrow; the recording picture adds a camera frame and a pointer
// that glide together from a small framing to a larger one and back, over
// and over, for as long as the picture is on screen. Leaving the screen
// returns them to the small framing. One element with a spoken description
// for screen readers.
//
// Main thread.
class StartExample : public QWidget {
    Q_OBJECT
public:
    static constexpr int swingMilliseconds = 2600;
    // The card shows the picture with rounded corners.
    static constexpr double cornerRadius = 12;

    explicit StartExample(bool recording, QWidget* parent = nullptr);

    bool recording() const { return recording_; }
    // How far the camera frame has moved from the small framing (0) to the
    // large one (1).
    double zoom() const { return zoom_; }
    bool animating() const { return swing_.state() == QAbstractAnimation::Running; }

    // Where the camera frame and the pointer stand at `zoom`, relative to the
    // picture's centre.
    static QRectF cameraFrame(double zoom);
    static QPointF pointerOffset(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showZoom(double zoom);
    // Where the camera frame and the pointer stand at `zoom`, in the widget.
    QRect movingArea(double zoom) const;
    QPixmap paintStill(qreal scale) const;
    void paintBackground(QPainter& painter) const;
    void paintWindowCard(QPainter& painter, const QRectF& card) const;
    void paintCameraAndPointer(QPainter& painter) const;
    void paintBadge(QPainter& painter) const;

    const bool recording_;
    double zoom_ = 0;
    QVariantAnimation swing_;
    // The picture without the camera frame and the pointer, at the widget's size.
    QPixmap still_;
};

}  // namespace tavero
