// The program's accessible children as a screen reader walks them while
// popups are open: each shown popup after the windows, found from both
// ends; a submenu under its menu only; a closed popup gone.
#include "app/AccessiblePopups.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tavero;

namespace {

QObjectList childrenOf(QAccessibleInterface& application) {
    QObjectList objects;
    for (int index = 0; index < application.childCount(); ++index) objects.append(application.child(index)->object());
    return objects;
}

TEST(AccessiblePopupsTest, ShownPopupsFollowTheWindowsAndASubmenuStaysUnderItsMenu) {
    listPopupsForScreenReaders();
    QWidget window;
    window.show();
    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    ASSERT_NE(application, nullptr);
    ASSERT_EQ(childrenOf(*application), QObjectList{&window});

    QFrame popover(&window, Qt::Popup);
    auto* render = new QPushButton(QStringLiteral("重新生成成片"), &popover);
    popover.show();
    EXPECT_EQ(childrenOf(*application), (QObjectList{&window, &popover}));
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&popover);
    EXPECT_EQ(application->indexOfChild(shown), 1);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(render)->parent()->parent(), application)
        << "the way up from the button ends at the program";
    popover.hide();
    EXPECT_EQ(childrenOf(*application), QObjectList{&window});
    EXPECT_EQ(application->indexOfChild(shown), -1);

    QMenu menu(&window);
    QMenu* delays = menu.addMenu(QStringLiteral("截图延时"));
    delays->addAction(QStringLiteral("3 秒"));
    menu.popup(QPoint(10, 10));
    delays->popup(QPoint(200, 10));
    ASSERT_TRUE(delays->isVisible());
    EXPECT_EQ(childrenOf(*application), (QObjectList{&window, &menu}));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(delays)->parent()->object(), delays->menuAction())
        << "under the menu's item that opens it";
}

}  // namespace
