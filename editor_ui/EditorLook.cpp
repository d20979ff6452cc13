#include "editor_ui/EditorLook.h"

#include "editor_ui/style/SymbolIcons.h"
#include "editor_ui/style/TaveroStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>

namespace tavero::EditorLook {

namespace {

constexpr double secondaryOpacity = 0.5;
constexpr int largeControlHeight = 32;
constexpr int symbolSize = 16;

void dress(QAbstractButton* button, const QString& symbol) {
    button->setIconSize(QSize(symbolSize, symbolSize));
    setSymbol(button, symbol);
}

QToolButton* bezelFree(const QString& text, const QString& symbol, const QColor& colour, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : symbol.isEmpty() ? Qt::ToolButtonTextOnly
                                                                                          : Qt::ToolButtonTextBesideIcon);
    button->setCursor(Qt::PointingHandCursor);
    setTextColour(button, colour);
    dress(button, symbol);
    return button;
}

}  // namespace

const QColor& accent() { return TaveroStyle::green(); }

QColor secondaryText(const QWidget* widget) {
    return faded(widget->palette().color(QPalette::WindowText), secondaryOpacity);
}

QColor faded(const QColor& colour, double opacity) {
    QColor result = colour;
    result.setAlphaF(float(colour.alphaF() * opacity));
    return result;
}

QFont font(const QWidget* widget, double points, FontWeight weight) {
    return Fonts::system(points, weight, widget ? widget->logicalDpiY() : 96);
}

QLabel* label(const QString& text, double points, QWidget* parent, FontWeight weight) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font(parent, points, weight));
    return label;
}

QLabel* secondaryLabel(const QString& text, double points, QWidget* parent) {
    QLabel* made = label(text, points, parent);
    setTextColour(made, secondaryText(made));
    return made;
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal));
    // Each setting is announced to screen readers, changed or not.
    if (widget->accessibleDescription() != text) widget->setAccessibleDescription(text);
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

void fill(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QToolButton* borderlessButton(const QString& text, const QString& symbol, QWidget* parent) {
    return bezelFree(text, symbol, accent(), parent);
}

QToolButton* plainButton(const QString& text, const QString& symbol, QWidget* parent) {
    return bezelFree(text, symbol, parent->palette().color(QPalette::WindowText), parent);
}

QPushButton* prominentButton(const QString& text, const QString& symbol, QWidget* parent, bool large) {
    auto* button = new QPushButton(text, parent);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, accent());
    palette.setColor(QPalette::ButtonText, Qt::white);
    button->setPalette(palette);
    if (large) button->setMinimumHeight(largeControlHeight);
    dress(button, symbol);
    return button;
}

QPushButton* defaultButton(const QString& text, const QString& symbol, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    dress(button, symbol);
    return button;
}

void setSymbol(QAbstractButton* button, const QString& symbol) {
    if (symbol.isEmpty()) return;
    button->setIcon(SymbolIcons::icon(symbol, button->palette().color(QPalette::ButtonText)));
}

QFrame* divider(QWidget* parent, bool vertical) {
    auto* line = new QFrame(parent);
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    if (vertical)
        line->setFixedWidth(1);
    else
        line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, faded(palette.color(QPalette::WindowText), 0.12));
    line->setPalette(palette);
    return line;
}

}  // namespace tavero::EditorLook
