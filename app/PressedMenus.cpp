#include "app/PressedMenus.h"

#include <QAccessible>
#include <QMenu>

namespace tavero {

namespace {

// A click or a key that triggers an item has hidden its menu already; a menu
// still shown was pressed another way. The menus it was opened from go too.
void closeAsAClickDoes(QMenu& menu) {
    if (!menu.isVisible()) return;
    QWidget* opener = &menu;
    while (auto* open = qobject_cast<QMenu*>(opener)) {
        opener = open->parentWidget();
        open->hide();
    }
}

// Asked once for each menu a screen reader reads, under each class of the
// menu's in turn; Qt's own factory then makes its interface. A menu hears of
// an item it made with addAction before the item's own receivers do, so it
// closes before the item acts, as after a click.
QAccessibleInterface* closingMenus(const QString& className, QObject* object) {
    auto* menu = qobject_cast<QMenu*>(object);
    if (menu && className == QLatin1String("QMenu"))
        QObject::connect(menu, &QMenu::triggered, menu, [menu] { closeAsAClickDoes(*menu); });
    return nullptr;
}

}  // namespace

void closeMenusPressedByScreenReaders() { QAccessible::installFactory(closingMenus); }

}  // namespace tavero
