#include "editor_ui/RoundedSurface.h"

#include "editor_ui/style/SymbolIcons.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

namespace tavero {

namespace {
constexpr double borderWidth = 1;
}  // namespace

RoundedSurface::RoundedSurface(double cornerRadius, const QColor& fill, QWidget* parent)
    : QWidget(parent), cornerRadius_(cornerRadius), fill_(fill) {}

void RoundedSurface::setFill(const QColor& fill) {
    fill_ = fill;
    update();
}

void RoundedSurface::setBorder(const QColor& colour) {
    border_ = colour;
    update();
}

void RoundedSurface::setSymbol(const QString& name, const QColor& colour, double side) {
    symbol_ = name;
    symbolColour_ = colour;
    symbolSide_ = side;
    update();
}

void RoundedSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius_, cornerRadius_);
    painter.fillPath(shape, fill_);
    if (border_) {
        const double inset = borderWidth / 2;
        QPainterPath inner;
        inner.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), cornerRadius_ - inset,
                             cornerRadius_ - inset);
        painter.strokePath(inner, QPen(*border_, borderWidth));
    }
    if (symbol_.isEmpty()) return;
    QRectF place(0, 0, symbolSide_, symbolSide_);
    place.moveCenter(bounds.center());
    SymbolIcons::icon(symbol_, symbolColour_).paint(&painter, place.toAlignedRect());
}

}  // namespace tavero
