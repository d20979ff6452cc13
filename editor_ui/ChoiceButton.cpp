#include "editor_ui/ChoiceButton.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tavero {

namespace {

// Qt's own interface of a checkable button offers only a toggle, which flips
// the check mark without a click: the owner never hears of it, and the row
// shows two choices or none.
class ChoiceAccessible final : public QAccessibleWidget {
public:
    explicit ChoiceAccessible(ChoiceButton* button) : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text kind) const override {
        const QString text = QAccessibleWidget::text(kind);
        if (text.isEmpty() && kind == QAccessible::Name) return button()->text();
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = button()->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << pressAction() << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (name != pressAction() && name != toggleAction()) return QAccessibleWidget::doAction(name);
        if (widget()->isEnabled()) button()->click();
    }

private:
    ChoiceButton* button() const { return static_cast<ChoiceButton*>(widget()); }
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
