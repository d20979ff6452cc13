#pragma once

#include "editor_ui/ShownValueSlider.h"

namespace tavero {

// A horizontal slider over decimal values from `minimum` to `maximum` in
// steps of `step`. It counts in whole units of 1 / `unitsPerValue`, so that
// a value between two steps (an opacity of 0.28 on a slider stepping by
// 0.05) shows exactly where it is and stays as it is until the user moves
// the slider; every value the user picks lies on a step.
//
// Every press of the mouse is one gesture, a click on the track included:
// gestureStarted() comes before its first value, gestureEnded() after its
// last. A key that moves the slider is a gesture of its own. The wheel is
// left to the scroll view around the slider.
//
// Main thread.
class SteppedSlider : public ShownValueSlider {
    Q_OBJECT
public:
    SteppedSlider(double minimum, double maximum, double step, int unitsPerValue = 1, QWidget* parent = nullptr);

    double currentValue() const { return double(value()) / unitsPerValue_; }
    // Shows `value`, held within the range, without reporting it.
    void showValue(double value);
    double valueAtStep(int step) const { return double(minimum() + step * stepUnits_) / unitsPerValue_; }
    int stepCount() const { return (maximum() - minimum()) / stepUnits_; }

signals:
    void gestureStarted();
    // A value the user picked, on a step.
    void valueEdited(double value);
    void gestureEnded();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void moved(int units);
    void jumpTo(const QPoint& position);

    const int unitsPerValue_;
    const int stepUnits_;
    bool showing_ = false;
    bool pressed_ = false;
    int reported_ = 0;
};

}  // namespace tavero
