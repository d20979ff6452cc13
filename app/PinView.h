#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class QSlider;

namespace tavero {

// The content of a pinned window: the picture, fitted with its proportions
// kept into the space above a control row with the opacity slider and
// "复制". The opacity starts at 1 for every new pin and is kept nowhere but
// in the window it is applied to, while that window exists. Main thread.
class PinView final : public QWidget {
public:
    // The slider's left end: a pinned picture never vanishes altogether.
    static constexpr double minimumOpacity = 0.2;
    // The height of the control row below the picture, in points.
    static constexpr int controlRowHeight = 36;

    // `window` is held weakly: the view never keeps it alive.
    PinView(QImage image, QWidget* window, QWidget* parent = nullptr);

    double opacity() const { return opacity_; }

private:
    void setOpacity(double opacity);
    // Puts the picture, as it was pinned, on the clipboard as an image.
    void copyPicture() const;

    QImage image_;
    QPointer<QWidget> window_;
    double opacity_ = 1.0;
};

}  // namespace tavero
