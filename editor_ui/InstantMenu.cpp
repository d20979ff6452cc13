#include "editor_ui/InstantMenu.h"

#include "editor_ui/ButtonAccessible.h"

#include <QAccessible>
#include <QToolButton>

namespace tavero {

namespace {

class InstantMenuAccessible final : public ButtonAccessible<QToolButton> {
public:
    explicit InstantMenuAccessible(QToolButton* button)
        : ButtonAccessible(button, QAccessible::ButtonMenu, {showMenuAction()}) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.hasPopup = true;
        state.pressed = button()->isDown();
        return state;
    }

    // Queued: the menu runs a loop of its own until it closes, and the
    // screen reader waits for the action's answer.
    void doAction(const QString& name) override {
        if (!offers(name)) return QAccessibleWidget::doAction(name);
        if (widget()->isEnabled()) QMetaObject::invokeMethod(button(), &QToolButton::showMenu, Qt::QueuedConnection);
    }
};

QAccessibleInterface* instantMenuAccessible(const QString&, QObject* object) {
    auto* button = qobject_cast<QToolButton*>(object);
    if (!button || !button->menu() || button->popupMode() != QToolButton::InstantPopup) return nullptr;
    return new InstantMenuAccessible(button);
}

}  // namespace

void setInstantMenu(QToolButton& button, QMenu* menu) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(instantMenuAccessible);
        return true;
    }();
    button.setPopupMode(QToolButton::InstantPopup);
    button.setMenu(menu);
    // Qt makes a widget's interface with its first change, here before it
    // had a menu, and keeps it: that one goes, the next is made with it.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&button);
    if (made && !dynamic_cast<InstantMenuAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

}  // namespace tavero
