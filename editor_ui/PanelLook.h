#pragma once

#include <QString>

class QLabel;
class QWidget;

// What the rows of the tool panel share: their caption font, value labels,
// the slider row and the way values are written. Main thread.
namespace tavero::PanelLook {

// Between the rows of the panel.
inline constexpr int rowSpacing = 16;
inline constexpr double captionPoints = 10;

// A caption in the primary colour.
QLabel* caption(const QString& text, QWidget* parent);
// A value beside a slider, centred in `frameWidth` points; 0 leaves it its natural width.
QLabel* valueLabel(QWidget* parent, int frameWidth);
// A row of a caption, a slider taking the free room and its value. The
// caption names the slider for screen readers unless it has a name of its own.
QWidget* sliderRow(QLabel* caption, QWidget* slider, QWidget* value, QWidget* parent);

// "%lld" of `value`, truncated towards zero.
QString wholeNumber(double value);
// `fraction` × 100 rounded, halves away from zero, then "%".
QString percent(double fraction);

}  // namespace tavero::PanelLook
