#pragma once

// Real input on a test X server (XTest through xdotool), for the tests that
// drive the selection overlay as a person would.
#include "capture/ui/SelectionWindow.h"

#include <QApplication>
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace tavero::test {

// Runs xdotool with `arguments`; false when it fails or takes over 5 s.
inline bool xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000) &&
           process.exitCode() == 0;
}

// Presses at `from`, moves through the middle and releases at `to`.
inline bool drag(QPoint from, QPoint to) {
    const QPoint middle = (from + to) / 2;
    const auto at = [](QPoint point) { return QStringList{QString::number(point.x()), QString::number(point.y())}; };
    return xdotool(QStringList{QStringLiteral("mousemove")} + at(from) +
                   QStringList{QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove")} +
                   at(middle) + QStringList{QStringLiteral("mousemove")} + at(to) +
                   QStringList{QStringLiteral("mouseup"), QStringLiteral("1")});
}

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
