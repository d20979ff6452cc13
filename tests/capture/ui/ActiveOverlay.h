#pragma once

// Real input on a test X server, for the tests that drive the selection
// overlay as a person would.
#include "capture/ui/SelectionWindow.h"
#include "tests/support/RealInput.h"

#include <QApplication>
#include <QTest>

namespace tavero::test {

// Waits up to 5 s for a selection window that shows and has the keyboard.
inline bool overlayIsActive() {
    return QTest::qWaitFor(
        [] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<SelectionWindow*>(widget) && widget->isVisible() && widget->isActiveWindow())
                    return true;
            return false;
        },
        5000);
}

}  // namespace tavero::test
