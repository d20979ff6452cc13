#pragma once

#include <QRectF>

class QColor;
class QPainter;
class QWidget;

// The mark of the control that has the keyboard focus, one for the whole
// program: a ring in the brand's green and a white line inside it, so that
// one of the two stands out by at least 3:1 on every light ground of the
// windows, on the accents' fills and on the dark recording windows. Its
// green is the same in every window, whatever their tint: the lighter
// tints of the recording set-up and the background sheet stand out less.
// It shows once the focus has moved by keyboard in the window (Tab, Backtab,
// a shortcut); a click that focuses a control before that draws none.
// Controls we paint ourselves draw it, or have it drawn over them; every
// other control gets it around itself from the program's style
// (ProgramStyle). Widgets only; main thread.
namespace tavero::FocusRing {

// Whole pixels, so that neither line blurs into its neighbours; the ring wide
// enough that around a small round control it still has, with its
// antialiased edges, the area of a 2 px line at full contrast.
inline constexpr int width = 3;
inline constexpr int innerWidth = 2;
// How far the mark lies outside a control that has it drawn around itself.
inline constexpr int outset = width + innerWidth;

const QColor& colour();

// Whether `widget` shows its mark now.
bool shown(const QWidget& widget);

// Says that `widget` draws its own mark, so the program's style leaves it be.
void drawnByItself(QWidget& widget);
bool drawsItself(const QWidget& widget);

// The corners of a control that has the mark drawn around itself, which the
// mark follows at its distance; a square with half its side is a circle.
// Fusion's small rounding unless set.
void setControlRadius(QWidget& widget, double cornerRadius);
double controlRadius(const QWidget& widget);

// Draws the mark along the inside of the rounded rectangle `bounds` while
// `widget` shows it; a square with half its side as the radius is a circle.
// A widget that paints itself calls it last in its paintEvent (Qt repaints a
// widget when it gains or loses the focus), and drawnByItself once made.
void paint(QPainter& painter, const QWidget& widget, const QRectF& bounds, double cornerRadius);

// For a widget whose children cover it (a button built of child widgets, a
// scroll area, the canvas): the mark along its edge, drawn above them. Both
// this and drawAround say drawnByItself.
void drawAbove(QWidget& widget, double cornerRadius);
// For a widget whose content reaches its edge: the mark `outset` outside it,
// in its parent, which must leave that much room around it. `cornerRadius`
// is the widget's own; the mark's grows with the outset.
void drawAround(QWidget& widget, double cornerRadius, int outset);

}  // namespace tavero::FocusRing
