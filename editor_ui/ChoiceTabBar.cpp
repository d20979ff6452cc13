#include "editor_ui/ChoiceTabBar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace tavero {

namespace {

// One tab of the bar, by its index; made and kept by the bar's interface.
class TabAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(ChoiceTabBar* bar, int index) : bar_(bar), index_(index) {}

    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        if (kind == QAccessible::Description) return bar_->tabToolTip(index_);
        if (kind != QAccessible::Name) return {};
        const QString name = bar_->accessibleTabName(index_);
        return name.isEmpty() ? bar_->tabText(index_) : name;
    }

    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect tab = bar_->tabRect(index_);
        return {bar_->mapToGlobal(tab.topLeft()), tab.size()};
    }

    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const bool chosen = bar_->currentIndex() == index_;
        state.selectable = true;
        state.selected = chosen;
        state.focusable = bar_->focusPolicy() != Qt::NoFocus;
        state.focused = chosen && bar_->hasFocus();
        state.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
        state.invisible = !bar_->isVisible() || !bar_->isTabVisible(index_);
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override {
        if (!isValid() || !bar_->isEnabled() || !bar_->isTabEnabled(index_)) return {};
        return {pressAction()};
    }

    void doAction(const QString& name) override {
        if (name == pressAction() && !actionNames().isEmpty()) bar_->setCurrentIndex(index_);
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<ChoiceTabBar> bar_;
    const int index_;
};

class ChoiceTabBarAccessible final : public QAccessibleWidget {
public:
    explicit ChoiceTabBarAccessible(ChoiceTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}

    ~ChoiceTabBarAccessible() override {
        for (const QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return bar()->count(); }

    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= bar()->count()) return nullptr;
        if (const QAccessible::Id id = tabs_.value(index)) return QAccessible::accessibleInterface(id);
        auto* tab = new TabAccessible(bar(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        for (auto tab = tabs_.cbegin(); tab != tabs_.cend(); ++tab)
            if (QAccessible::accessibleInterface(tab.value()) == child) return tab.key();
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y)));
        return index < 0 ? nullptr : child(index);
    }

    QAccessibleInterface* focusChild() const override {
        return bar()->hasFocus() ? child(bar()->currentIndex()) : nullptr;
    }

private:
    ChoiceTabBar* bar() const { return static_cast<ChoiceTabBar*>(widget()); }

    mutable QHash<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* choiceTabBarAccessible(const QString&, QObject* object) {
    if (auto* bar = qobject_cast<ChoiceTabBar*>(object)) return new ChoiceTabBarAccessible(bar);
    return nullptr;
}

}  // namespace

ChoiceTabBar::ChoiceTabBar(QWidget* parent) : QTabBar(parent) {
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(choiceTabBarAccessible);
        return true;
    }();
}

}  // namespace tavero
