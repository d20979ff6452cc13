#pragma once

#include "platform/Fonts.h"

#include <QColor>
#include <QString>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

// The editor window's shared look: its accent, the text colours and
// backgrounds it borrows from the palette, and the three button kinds its
// views use (borderless, plain, prominent). Widgets only; main thread.
namespace tavero::EditorLook {

// The window's tint: the brand green.
const QColor& accent();
// Text that steps back: the primary text colour at half strength.
QColor secondaryText(const QWidget* widget);
// `colour` at `opacity`, for tinted backgrounds.
QColor faded(const QColor& colour, double opacity);

// The system font at `points` for `widget`'s screen.
QFont font(const QWidget* widget, double points, FontWeight weight = FontWeight::regular);
// Shows its text as it is: names and messages may hold what looks like markup.
QLabel* label(const QString& text, double points, QWidget* parent, FontWeight weight = FontWeight::regular);
// A label in the secondary text colour.
QLabel* secondaryLabel(const QString& text, double points, QWidget* parent);
// A tool tip that shows `text` as it is (Qt reads a tool tip that looks like
// markup as rich text), which screen readers read as the widget's
// description in these words, not in the tool tip's markup.
void setPlainToolTip(QWidget* widget, const QString& text);
void setTextColour(QWidget* widget, const QColor& colour);
// Fills `widget` with `colour` behind its children.
void fill(QWidget* widget, const QColor& colour);

// A button without a bezel whose label is drawn in the accent.
QToolButton* borderlessButton(const QString& text, const QString& symbol, QWidget* parent);
// A button without a bezel in the primary text colour.
QToolButton* plainButton(const QString& text, const QString& symbol, QWidget* parent);
// A button filled with the accent and labelled in white; `large` makes it taller.
QPushButton* prominentButton(const QString& text, const QString& symbol, QWidget* parent, bool large = false);
// The platform's ordinary push button.
QPushButton* defaultButton(const QString& text, const QString& symbol, QWidget* parent);
// Sets the button's icon to `symbol` drawn in its text colour; nothing for an empty name.
void setSymbol(QAbstractButton* button, const QString& symbol);

// A thin line between two areas; `vertical` stands between neighbours in a row.
QFrame* divider(QWidget* parent, bool vertical = false);

}  // namespace tavero::EditorLook
