#pragma once

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QStringList>

#include <utility>

namespace tavero {

// What a screen reader meets of one of our buttons: its text as its name
// when it has no accessible name of its own, and `actions` first while it
// is enabled, ahead of Qt's own. Subclasses say what the actions do.
template <typename Button>
class ButtonAccessible : public QAccessibleWidget {
public:
    ButtonAccessible(Button* button, QAccessible::Role role, QStringList actions)
        : QAccessibleWidget(button, role), actions_(std::move(actions)) {}

    QString text(QAccessible::Text kind) const override {
        const QString text = QAccessibleWidget::text(kind);
        if (text.isEmpty() && kind == QAccessible::Name) return button()->text();
        return text;
    }

    QStringList actionNames() const override {
        return (widget()->isEnabled() ? actions_ : QStringList()) + QAccessibleWidget::actionNames();
    }

protected:
    bool offers(const QString& action) const { return actions_.contains(action); }
    Button* button() const { return static_cast<Button*>(widget()); }

private:
    QStringList actions_;
};

}  // namespace tavero
