#pragma once

// What the X server and the window manager say of a window, asked through
// the command-line tools as a person would.
#include "tests/support/RealInput.h"

#include <QRect>
#include <QRegularExpression>
#include <QWidget>

#include <optional>

namespace tavero::test {

// Where `window` lies on the root window, in pixels; none when it is not mapped.
inline std::optional<QRect> rootGeometry(WId window) {
    const std::optional<QString> info = outputOf(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    if (!info || !info->contains(QStringLiteral("IsViewable"))) return std::nullopt;
    const auto number = [&](const char* label) {
        const QRegularExpression pattern(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return pattern.match(*info).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"), number("Height"));
}

// Waits until `widget`'s window lies at `expected` root pixels; the last
// place seen, none when never mapped.
inline std::optional<QRect> settledGeometry(const QWidget& widget, const QRect& expected) {
    std::optional<QRect> seen;
    if (QTest::qWaitFor([&] { return (seen = rootGeometry(widget.winId())) == expected; }, 5000)) return expected;
    return seen;
}

// The window's properties as xprop prints them.
inline QString properties(WId window, const QStringList& names) {
    return outputOf(QStringLiteral("xprop"), QStringList{QStringLiteral("-id"), QString::number(window)} + names)
        .value_or(QString());
}

}  // namespace tavero::test
