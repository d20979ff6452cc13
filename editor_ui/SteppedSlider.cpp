#include "editor_ui/SteppedSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tavero {

namespace {

int units(double value, int unitsPerValue) { return int(std::lround(value * unitsPerValue)); }

bool movesSlider(int key) {
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End: return true;
    default: return false;
    }
}

}  // namespace

SteppedSlider::SteppedSlider(double minimum, double maximum, double step, int unitsPerValue, QWidget* parent)
    : ShownValueSlider(parent), unitsPerValue_(unitsPerValue), stepUnits_(std::max(units(step, unitsPerValue), 1)) {
    setRange(units(minimum, unitsPerValue), units(maximum, unitsPerValue));
    setSingleStep(stepUnits_);
    setPageStep(stepUnits_);
    reported_ = value();
    connect(this, &QSlider::valueChanged, this, &SteppedSlider::moved);
}

void SteppedSlider::showValue(double value) {
    const int shown = std::clamp(units(value, unitsPerValue_), minimum(), maximum());
    if (shown == this->value()) return;
    showing_ = true;
    setValue(shown);
    showing_ = false;
    reported_ = shown;
}

// A value between steps, from a drag, moves on to the nearest step, which
// comes back here and is reported.
void SteppedSlider::moved(int value) {
    if (showing_) return;
    const int onStep = minimum() + int(std::lround(double(value - minimum()) / stepUnits_)) * stepUnits_;
    const int snapped = std::min(onStep, maximum());
    if (snapped != value) return setValue(snapped);
    if (value == reported_) return;
    reported_ = value;
    emit valueEdited(currentValue());
}

// The handle comes to the click, so the press goes on as a drag of it.
void SteppedSlider::jumpTo(const QPoint& position) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (handle.contains(position)) return;
    const int length = handle.width();
    const int span = groove.width() - length;
    setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), position.x() - groove.x() - length / 2, span,
                                             option.upsideDown));
}

void SteppedSlider::mousePressEvent(QMouseEvent* event) {
    const bool starts = event->button() == Qt::LeftButton && !pressed_ && minimum() < maximum();
    if (starts) {
        pressed_ = true;
        emit gestureStarted();
        jumpTo(event->position().toPoint());
    }
    QSlider::mousePressEvent(event);
}

void SteppedSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    emit gestureEnded();
}

void SteppedSlider::keyPressEvent(QKeyEvent* event) {
    if (!movesSlider(event->key()) || pressed_) return QSlider::keyPressEvent(event);
    emit gestureStarted();
    QSlider::keyPressEvent(event);
    emit gestureEnded();
}

void SteppedSlider::wheelEvent(QWheelEvent* event) { event->ignore(); }

}  // namespace tavero
