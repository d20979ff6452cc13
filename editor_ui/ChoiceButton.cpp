#include "editor_ui/ChoiceButton.h"

#include "editor_ui/ButtonAccessible.h"

#include <QAccessible>

namespace tavero {

namespace {

// Qt's own interface of a checkable button offers only a toggle, which flips
// the check mark without a click: the owner never hears of it, and the row
// shows two choices or none.
class ChoiceAccessible final : public ButtonAccessible<ChoiceButton> {
public:
    explicit ChoiceAccessible(ChoiceButton* button)
        : ButtonAccessible(button, QAccessible::RadioButton, {pressAction(), toggleAction()}) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    void doAction(const QString& name) override {
        if (!offers(name)) return QAccessibleWidget::doAction(name);
        if (widget()->isEnabled()) button()->click();
    }
};

QAccessibleInterface* choiceAccessible(const QString&, QObject* object) {
    if (auto* button = qobject_cast<ChoiceButton*>(object)) return new ChoiceAccessible(button);
    return nullptr;
}

}  // namespace

ChoiceButton::ChoiceButton(QWidget* parent) : QAbstractButton(parent) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(choiceAccessible);
        return true;
    }();
    setCheckable(true);
}

void ChoiceButton::nextCheckState() { setChecked(true); }

}  // namespace tavero
