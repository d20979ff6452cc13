#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

namespace tavero {

// A rounded rectangle behind its children: a fill, an optional thin border
// drawn inside its edge, and an optional symbol centred on it. The start
// screen builds its cards, badges and key caps from it. Main thread.
class RoundedSurface : public QWidget {
    Q_OBJECT
public:
    RoundedSurface(double cornerRadius, const QColor& fill, QWidget* parent = nullptr);

    void setFill(const QColor& fill);
    // A 1-point line of `colour` inside the edge; none by default.
    void setBorder(const QColor& colour);
    // `name` of SymbolIcons, `side` points square, always drawn at full
    // strength: the surface's owner decides how a disabled state looks.
    void setSymbol(const QString& name, const QColor& colour, double side);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double cornerRadius_;
    QColor fill_;
    std::optional<QColor> border_;
    QString symbol_;
    QColor symbolColour_;
    double symbolSide_ = 0;
};

}  // namespace tavero
