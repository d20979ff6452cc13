#pragma once

#include <QAbstractButton>

namespace tavero {

// A borderless button that shows only a symbol, in white, named for screen
// readers by its accessible name. It never takes the keyboard focus.
// Main thread.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    // `side`: the symbol's size in points.
    SymbolButton(const QString& symbol, double side, QWidget* parent = nullptr);

    const QString& symbol() const { return symbol_; }
    void setSymbol(const QString& symbol);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double side_;
};

}  // namespace tavero
