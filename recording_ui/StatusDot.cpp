#include "recording_ui/StatusDot.h"

#include <QPainter>

#include <cmath>

namespace tavero {

StatusDot::StatusDot(double diameter, QWidget* parent) : QWidget(parent) {
    const int side = int(std::lround(diameter));
    setFixedSize(side, side);
}

void StatusDot::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void StatusDot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color_);
    painter.drawEllipse(QRectF(rect()));
}

}  // namespace tavero
