#include "editor_ui/ShownValueSlider.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include <cmath>

namespace tavero {

namespace {

// Qt's own interface of a slider reads its units.
class ShownValueAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ShownValueAccessible(ShownValueSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return QString::number(slider()->shownValue(slider()->value()));
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return slider()->shownValue(slider()->value()); }
    QVariant maximumValue() const override { return slider()->shownValue(slider()->maximum()); }
    QVariant minimumValue() const override { return slider()->shownValue(slider()->minimum()); }
    QVariant minimumStepSize() const override { return slider()->singleStep() / slider()->unitsPerShownValue(); }

    void setCurrentValue(const QVariant& value) override {
        slider()->setValue(int(std::lround(value.toDouble() * slider()->unitsPerShownValue())));
    }

private:
    ShownValueSlider* slider() const { return static_cast<ShownValueSlider*>(widget()); }
};

QAccessibleInterface* shownValueAccessible(const QString&, QObject* object) {
    if (auto* slider = qobject_cast<ShownValueSlider*>(object)) return new ShownValueAccessible(slider);
    return nullptr;
}

}  // namespace

ShownValueSlider::ShownValueSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(shownValueAccessible);
        return true;
    }();
}

void ShownValueSlider::setShownStep(int units, ShownRounding rounding) {
    shownStep_ = units;
    rounding_ = rounding;
    setSingleStep(units);
    setPageStep(10 * units);
}

// Rounded in whole units before the one division, so that 140 hundredths
// read 1.4 and not 1.4000000000000001.
double ShownValueSlider::shownValue(int units) const {
    if (!shownStep_) return units / unitsPerShownValue_;
    const double steps = double(units) / *shownStep_;
    const double shown = rounding_ == ShownRounding::down ? std::floor(steps) : std::round(steps);
    return shown * *shownStep_ / unitsPerShownValue_;
}

}  // namespace tavero
