#include "app/AccessiblePopups.h"

#include <QAccessibleObject>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

namespace tavero {

namespace {

// The objects of the shown popups whose accessible parent is the application.
QObjectList shownPopups() {
    QObjectList popups;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->type() != Qt::Popup || !window->isVisible()) continue;
        QAccessibleInterface* root = window->accessibleRoot();
        if (!root || !root->object()) continue;
        const QAccessibleInterface* parent = root->parent();
        if (parent && parent->object() == QCoreApplication::instance()) popups.append(root->object());
    }
    return popups;
}

class ApplicationWithPopups final : public QAccessibleApplication {
public:
    int childCount() const override { return QAccessibleApplication::childCount() + int(shownPopups().size()); }

    QAccessibleInterface* child(int index) const override {
        const int windows = QAccessibleApplication::childCount();
        if (index < windows) return QAccessibleApplication::child(index);
        return QAccessible::queryAccessibleInterface(shownPopups().value(index - windows));
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        const int window = QAccessibleApplication::indexOfChild(child);
        if (window >= 0 || !child) return window;
        const qsizetype popup = shownPopups().indexOf(child->object());
        return popup < 0 ? -1 : QAccessibleApplication::childCount() + int(popup);
    }
};

QAccessibleInterface* applicationWithPopups(const QString&, QObject* object) {
    if (object && object == QCoreApplication::instance()) return new ApplicationWithPopups;
    return nullptr;
}

}  // namespace

void listPopupsForScreenReaders() { QAccessible::installFactory(applicationWithPopups); }

}  // namespace tavero
