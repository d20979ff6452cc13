#pragma once

// The real pointer of a test X server, moved and pressed through XTest by
// xdotool, as a person would.
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

inline QStringList coordinates(QPoint point) { return {QString::number(point.x()), QString::number(point.y())}; }

// Moves the pointer to `point`, in root pixels.
inline bool pointAt(QPoint point) { return xdotool(QStringList{QStringLiteral("mousemove")} + coordinates(point)); }

// Presses at `from`, moves through the middle and releases at `to`.
inline bool drag(QPoint from, QPoint to) {
    const QPoint middle = (from + to) / 2;
    return xdotool(QStringList{QStringLiteral("mousemove")} + coordinates(from) +
                   QStringList{QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove")} +
                   coordinates(middle) + QStringList{QStringLiteral("mousemove")} + coordinates(to) +
                   QStringList{QStringLiteral("mouseup"), QStringLiteral("1")});
}

}  // namespace tavero::test
