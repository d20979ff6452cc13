#pragma once

#include <QRectF>

class QPainter;
class QWidget;

// The mark of the control that has the keyboard focus, one for the whole
// program: a ring in the palette's highlight, the window's tint, with which
// Fusion marks the focus of its own buttons and boxes, and a thin white line
// inside it so that it shows on filled controls too. As on Fusion's
// controls, it shows once the focus has moved by keyboard in the window
// (Tab, Backtab, a shortcut); a click that focuses a control before that
// draws none. Widgets only; main thread.
namespace tavero::FocusRing {

inline constexpr double width = 2;
inline constexpr double innerWidth = 1.5;

// Whether `widget` shows its mark now.
bool shown(const QWidget& widget);

// Draws the mark along the inside of the rounded rectangle `bounds` while
// `widget` shows it; a square with half its side as the radius is a circle.
// A widget that paints itself calls it last in its paintEvent: Qt repaints a
// widget when it gains or loses the focus.
void paint(QPainter& painter, const QWidget& widget, const QRectF& bounds, double cornerRadius);

// For a widget whose children cover it (a button built of child widgets, a
// scroll area, the canvas): the mark along its edge, drawn above them.
void drawAbove(QWidget& widget, double cornerRadius);
// For a widget whose content reaches its edge: the mark `outset` outside it,
// in its parent, which must leave that much room around it. `cornerRadius`
// is the widget's own; the mark's grows with the outset.
void drawAround(QWidget& widget, double cornerRadius, int outset);

}  // namespace tavero::FocusRing
