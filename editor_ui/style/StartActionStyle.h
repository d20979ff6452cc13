#pragma once

#include "editor_ui/style/TaveroStyle.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainterPath>
#include <QRectF>
#include <QSizeF>
#include <QString>

class QPainter;

namespace tavero {

// The look of the start screen's action buttons, as a value: a primary
// button is filled with `color` and has white text; a secondary one is
// white with ink text and a thin brand-green border, whatever `color` holds.
// Drawing only; StartActionButton gives it behaviour. Main thread.
struct StartActionStyle {
    bool primary = true;
    QColor color = TaveroStyle::green();
    // In points.
    double height = 42;

    static constexpr double horizontalPadding = 18;
    static constexpr double cornerRadius = 10;
    static constexpr double iconSpacing = 6;

    StartActionStyle() = default;
    explicit StartActionStyle(bool primary, QColor color = TaveroStyle::green(), double height = 42)
        : primary(primary), color(std::move(color)), height(height) {}

    // The system font at 14 points, medium.
    static QFont font(int logicalDpi);
    QColor foreground() const;
    // 0.45 while disabled, whether pressed or not; 0.76 while pressed; else 1.
    static double opacity(bool enabled, bool pressed);

    // The label's width plus the padding on both sides, by `height`.
    QSizeF size(const QString& text, const QSizeF& iconSize, int logicalDpi) const;
    // The rounded rectangle the button is drawn on, which is also where it
    // takes presses.
    QPainterPath shape(const QRectF& bounds) const;
    // Draws the whole button into `bounds`: shape, border, then the label,
    // an optional icon before the text, centred.
    void paint(QPainter& painter, const QRectF& bounds, const QString& text, const QIcon& icon, const QSizeF& iconSize,
               bool enabled, bool pressed, int logicalDpi) const;
};

}  // namespace tavero
