#pragma once

#include "platform/Fonts.h"

#include <QWidget>

class QLabel;

namespace tavero {

// A line of text after a symbol, both in one colour, as a label with a
// system symbol: "在本机完成" after its lock, each step of the screen-access
// explanation after its number. One line. Main thread.
class SymbolLabel : public QWidget {
    Q_OBJECT
public:
    SymbolLabel(const QString& symbol, const QString& text, double points, const QColor& colour,
                QWidget* parent = nullptr, FontWeight weight = FontWeight::regular);

    QLabel* text() const { return text_; }
    const QString& symbol() const { return symbol_; }

private:
    QString symbol_;
    QLabel* text_ = nullptr;
};

}  // namespace tavero
