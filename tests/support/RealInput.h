#pragma once

// The real pointer and keyboard focus of a test X server, through xdotool
// (XTest), as a person would meet them.
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTest>

#include <optional>

namespace tavero::test {

// Runs `tool` with `arguments` and returns what it wrote, or none when it
// fails or takes over 5 s.
inline std::optional<QString> outputOf(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000) || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline bool xdotool(const QStringList& arguments) {
    return outputOf(QStringLiteral("xdotool"), arguments).has_value();
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

// Whether the keys typed now go to `window`: it holds the input focus.
inline bool hasKeyboard(quint32 window) {
    const std::optional<QString> focus = outputOf(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    return focus && focus->trimmed().toUInt() == window;
}

}  // namespace tavero::test
