#pragma once

#include <QSlider>

#include <optional>

namespace tavero {

// A horizontal slider that screen readers read in the unit shown beside it:
// its value, range and step divided by unitsPerShownValue() (1 unless set).
// A slider counting thousandths whose label shows a percentage counts 10
// units a shown value, and reads 23 at 230 while the screen shows "23%". A
// value a screen reader sets is taken back into units.
//
// A label that shows the value to a coarser step than the slider counts
// (whole seconds of a slider in milliseconds) is described with
// setShownStep(): the slider then steps by one shown step an arrow key and
// ten a page, and reads its value and range rounded as the label rounds
// them. Main thread.
class ShownValueSlider : public QSlider {
    Q_OBJECT
public:
    enum class ShownRounding { nearest, down };

    explicit ShownValueSlider(QWidget* parent = nullptr);

    double unitsPerShownValue() const { return unitsPerShownValue_; }
    void setUnitsPerShownValue(double units) { unitsPerShownValue_ = units; }
    // The label shows the value to a step of `units` units, rounded as `rounding`.
    void setShownStep(int units, ShownRounding rounding);
    // `units` as the label shows them, in the shown unit.
    double shownValue(int units) const;

private:
    double unitsPerShownValue_ = 1;
    std::optional<int> shownStep_;
    ShownRounding rounding_ = ShownRounding::nearest;
};

}  // namespace tavero
