#include "recording_ui/SymbolButton.h"

#include "editor_ui/style/SymbolIcons.h"

#include <QPainter>

#include <cmath>

namespace tavero {

namespace {
// Room around the symbol for the press to land.
constexpr double margin = 4;
constexpr double pressedOpacity = 0.6;
}  // namespace

SymbolButton::SymbolButton(const QString& symbol, double side, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), side_(side) {
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::ArrowCursor);
}

void SymbolButton::setSymbol(const QString& symbol) {
    if (symbol == symbol_) return;
    symbol_ = symbol;
    update();
}

QSize SymbolButton::sizeHint() const {
    const int side = int(std::ceil(side_ + 2 * margin));
    return {side, side};
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (isDown()) painter.setOpacity(pressedOpacity);
    const QRectF place(QPointF(rect().center()) - QPointF(side_ / 2 - 0.5, side_ / 2 - 0.5), QSizeF(side_, side_));
    SymbolIcons::icon(symbol_, Qt::white).paint(&painter, place.toRect(), Qt::AlignCenter,
                                                isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

}  // namespace tavero
