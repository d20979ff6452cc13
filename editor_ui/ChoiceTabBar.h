#pragma once

#include <QTabBar>

namespace tavero {

// A tab bar of which one tab is chosen. Screen readers meet its tabs as page
// tabs that say whether each is the chosen one; Qt's own tabs say only that
// the current one has the focus, even while the bar has none. A screen
// reader's press chooses a tab, as a click does. Main thread.
class ChoiceTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit ChoiceTabBar(QWidget* parent = nullptr);
};

}  // namespace tavero
