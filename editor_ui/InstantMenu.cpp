#include "editor_ui/InstantMenu.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QToolButton>

namespace tavero {

namespace {

class InstantMenuAccessible final : public QAccessibleWidget {
public:
    explicit InstantMenuAccessible(QToolButton* button) : QAccessibleWidget(button, QAccessible::ButtonMenu) {}

    QString text(QAccessible::Text kind) const override {
        const QString text = QAccessibleWidget::text(kind);
        if (text.isEmpty() && kind == QAccessible::Name) return button()->text();
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.hasPopup = true;
        state.pressed = button()->isDown();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << showMenuAction();
        return names + QAccessibleWidget::actionNames();
    }

    // Queued: the menu runs a loop of its own until it closes, and the
    // screen reader waits for the action's answer.
    void doAction(const QString& name) override {
        if (name != showMenuAction()) return QAccessibleWidget::doAction(name);
        if (widget()->isEnabled()) QMetaObject::invokeMethod(button(), &QToolButton::showMenu, Qt::QueuedConnection);
    }

private:
    QToolButton* button() const { return static_cast<QToolButton*>(widget()); }
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
