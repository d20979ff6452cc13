#pragma once

#include <QSlider>

namespace tavero {

// A horizontal slider that screen readers read in the unit shown beside it:
// its value, range and step divided by unitsPerShownValue() (1 unless set).
// A slider counting thousandths whose label shows a percentage counts 10
// units a shown value, and reads 23 at 230 while the screen shows "23%". A
// value a screen reader sets is taken back into units. Main thread.
class ShownValueSlider : public QSlider {
    Q_OBJECT
public:
    explicit ShownValueSlider(QWidget* parent = nullptr);

    double unitsPerShownValue() const { return unitsPerShownValue_; }
    void setUnitsPerShownValue(double units) { unitsPerShownValue_ = units; }

private:
    double unitsPerShownValue_ = 1;
};

}  // namespace tavero
