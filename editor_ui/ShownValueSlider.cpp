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
        if (kind == QAccessible::Value) return QString::number(shown(slider()->value()));
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override { return shown(slider()->value()); }
    QVariant maximumValue() const override { return shown(slider()->maximum()); }
    QVariant minimumValue() const override { return shown(slider()->minimum()); }
    QVariant minimumStepSize() const override { return shown(slider()->singleStep()); }

    void setCurrentValue(const QVariant& value) override {
        slider()->setValue(int(std::lround(value.toDouble() * slider()->unitsPerShownValue())));
    }

private:
    ShownValueSlider* slider() const { return static_cast<ShownValueSlider*>(widget()); }
    double shown(int units) const { return units / slider()->unitsPerShownValue(); }
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

}  // namespace tavero
