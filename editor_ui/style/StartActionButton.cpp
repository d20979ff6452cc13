#include "editor_ui/style/StartActionButton.h"

#include "editor_ui/style/FocusRing.h"

#include <QPainter>

#include <cmath>

namespace tavero {

StartActionButton::StartActionButton(const QString& text, StartActionStyle style, QWidget* parent)
    : QAbstractButton(parent) {
    FocusRing::drawnByItself(*this);
    setText(text);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setActionStyle(style);
}

void StartActionButton::setActionStyle(const StartActionStyle& style) {
    style_ = style;
    setFixedHeight(int(std::lround(style_.height)));
    updateGeometry();
    update();
}

QSize StartActionButton::sizeHint() const {
    const QSizeF iconArea = icon().isNull() ? QSizeF() : QSizeF(iconSize());
    const QSizeF size = style_.size(text(), iconArea, logicalDpiY());
    return {int(std::ceil(size.width())), int(std::lround(size.height()))};
}

void StartActionButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style_.paint(painter, QRectF(rect()), text(), icon(), QSizeF(iconSize()), isEnabled(), isDown(), logicalDpiY());
    FocusRing::paint(painter, *this, QRectF(rect()), StartActionStyle::cornerRadius);
}

bool StartActionButton::hitButton(const QPoint& position) const {
    return style_.shape(QRectF(rect())).contains(QPointF(position) + QPointF(0.5, 0.5));
}

}  // namespace tavero
