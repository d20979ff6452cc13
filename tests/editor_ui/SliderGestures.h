#pragma once

#include "editor_ui/SteppedSlider.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

namespace tavero::test {

// Where a slider would put its handle's centre for `value`, in its own coordinates.
inline QPoint pointOf(SteppedSlider& slider, double value, int unitsPerValue = 1) {
    QStyleOptionSlider option;
    option.initFrom(&slider);
    option.orientation = slider.orientation();
    option.minimum = slider.minimum();
    option.maximum = slider.maximum();
    QStyle* style = slider.style();
    const QRect groove = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, &slider);
    const QRect handle = style->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &slider);
    const int units = int(std::lround(value * unitsPerValue));
    const int offset = QStyle::sliderPositionFromValue(slider.minimum(), slider.maximum(), units,
                                                       groove.width() - handle.width());
    return {groove.x() + offset + handle.width() / 2, slider.height() / 2};
}

// Presses on the handle at `from`, moves through the values between and lets go at `to`.
inline void drag(SteppedSlider& slider, double from, double to, int unitsPerValue = 1) {
    QTest::mousePress(&slider, Qt::LeftButton, {}, pointOf(slider, from, unitsPerValue));
    const int steps = 4;
    for (int step = 1; step <= steps; ++step)
        QTest::mouseMove(&slider, pointOf(slider, from + (to - from) * step / steps, unitsPerValue));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, pointOf(slider, to, unitsPerValue));
}

// A click on the track at `value`, away from the handle.
inline void clickTrack(SteppedSlider& slider, double value, int unitsPerValue = 1) {
    QTest::mouseClick(&slider, Qt::LeftButton, {}, pointOf(slider, value, unitsPerValue));
}

}  // namespace tavero::test
